#pragma once
// CmdConfig files for window tests, built byte by byte from the record's layout.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace trelvo::test {

constexpr qsizetype kRecord = 102580;
constexpr qsizetype kCmdLineAt(int k) {
    return 152 + (k - 1) * 252;
}
constexpr qsizetype kCmdNameAt(int k) {
    return 12248 + (k - 1) * 52;
}
constexpr qsizetype kHelpLineAt(int k, int line) {
    return 14744 + (k - 1) * 1824 + (line - 1) * 152;
}

// A short string of the file: its length byte and its characters.
inline QByteArray TextAt(const QByteArray& file, int list, qsizetype offset) {
    const qsizetype at = (list - 1) * kRecord + offset;
    return file.mid(at + 1, static_cast<unsigned char>(file[at]));
}

inline void PutText(QByteArray& file, int list, qsizetype offset, const QByteArray& text) {
    const qsizetype at = (list - 1) * kRecord + offset;
    file[at] = static_cast<char>(text.size());
    file.replace(at + 1, text.size(), text);
}

// Lists named "List 1" .. "List 100", every command empty.
inline QByteArray FreshLibrary() {
    QByteArray file(100 * kRecord, '\0');
    for (int list = 1; list <= 100; ++list) {
        PutText(file, list, 0, "List " + QByteArray::number(list));
        file.replace((list - 1) * kRecord + 102500, 4, QByteArray("\x39\x30\x00\x00", 4));
    }
    return file;
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

} // namespace trelvo::test
