#pragma once
// CmdConfig files for window tests, made and read through the store's own record.

#include "library/cmd_store.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

namespace trelvo::test {

// The library of a first start, changed by `edit`, written to `path`.
inline void WriteLibrary(const QString& path, const std::function<void(CmdStore&)>& edit) {
    CmdStore store;
    RebuildCmdStore(store);
    edit(store);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(store.image().data(), static_cast<qsizetype>(store.image().size()));
}

// List 1 of a file's bytes.
inline const TCmdListRec& FirstList(const QByteArray& file) {
    return *reinterpret_cast<const TCmdListRec*>(file.data());
}

} // namespace trelvo::test
