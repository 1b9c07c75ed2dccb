#pragma once
// The CmdConfig that a first start writes, so that a window's start-up finds a sound library and shows no message.

#include "library/cmd_store.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace trelvo::test {

inline void WriteSoundLibrary(const QString& path) {
    static const QByteArray image = [] {
        CmdStore store;
        RebuildCmdStore(store);
        return QByteArray(store.image().data(), static_cast<qsizetype>(store.image().size()));
    }();
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(image);
}

} // namespace trelvo::test
