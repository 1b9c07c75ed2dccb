#pragma once
// A full command library (every text at its capacity) and a full command history, for the benchmarks that start
// the main window with the most it loads.

#include "common/cp1251.h"
#include "library/cmd_config_file.h"
#include "transmit/history.h"

#include <QFile>
#include <QString>

#include <memory>

namespace trelvo::bench {

inline Bytes Text(std::size_t n, int seed) {
    Bytes t(n, 'A');
    for (std::size_t i = 0; i < n; ++i)
        t[i] = static_cast<char>('A' + (i + static_cast<std::size_t>(seed)) % 26);
    return t;
}

// List `i` with every text at its capacity, so that a comparison has the most to read.
inline void FillList(TCmdListRec& r, int i) {
    r.setListName(Text(kListNameCapacity, i));
    for (int k = 1; k <= kCmdsPerList; ++k) {
        r.setCmdLine(k, Text(kCmdLineCapacity, k));
        r.setCmdName(k, Text(kCmdNameCapacity, k + 1));
        for (int j = 1; j <= kHelpLinesPerCmd; ++j)
            r.setHelpLine(k, j, Text(kHelpLineCapacity, j));
    }
}

inline void FillLibrary(CmdStore& s) {
    RebuildCmdStore(s);
    for (int i = 1; i <= kCmdLists; ++i)
        FillList(s.list(i), i);
}

inline Bytes FullHistoryFile() {
    CmdHistory h;
    for (std::size_t k = 1; k <= kHistoryEntries; ++k)
        h.entry(k).setText(Text(254, static_cast<int>(k)));
    return HistoryToFileBytes(h);
}

// CmdConfig and OldCmd, full, in `dir`: what the window loads at start from its working directory.
inline bool WriteFullLibrary(const QString& dir, const CmdStore& full, const Bytes& history) {
    QFile lib(dir + QStringLiteral("/CmdConfig")), old(dir + QStringLiteral("/OldCmd"));
    if (!lib.open(QIODevice::WriteOnly) || !old.open(QIODevice::WriteOnly)) return false;
    lib.write(full.image().data(), static_cast<qint64>(full.image().size()));
    old.write(history.data(), static_cast<qint64>(history.size()));
    return true;
}

// The same files written list by list, for a benchmark that measures its own process afterwards: a 10 MB block,
// once freed, would raise the allocator's threshold for mapping blocks of their own and change how the window's
// buffers are allocated.
inline bool WriteFullLibrary(const QString& dir) {
    QFile lib(dir + QStringLiteral("/CmdConfig")), old(dir + QStringLiteral("/OldCmd"));
    if (!lib.open(QIODevice::WriteOnly) || !old.open(QIODevice::WriteOnly)) return false;
    const auto list = std::make_unique<TCmdListRec>();
    for (int i = 1; i <= kCmdLists; ++i) {
        list->clearTexts();
        list->setSignature(kCmdListSignature);
        FillList(*list, i);
        if (lib.write(reinterpret_cast<const char*>(list.get()), sizeof(TCmdListRec)) != sizeof(TCmdListRec))
            return false;
    }
    const Bytes history = FullHistoryFile();
    return old.write(history.data(), static_cast<qint64>(history.size())) == static_cast<qint64>(history.size());
}

} // namespace trelvo::bench
