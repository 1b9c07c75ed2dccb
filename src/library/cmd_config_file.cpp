#include "library/cmd_config_file.h"

#include <QFile>

namespace trelvo {

namespace {
constexpr qint64 kRecSize = static_cast<qint64>(kCmdListRecSize);
}

CmdConfigFile::CmdConfigFile(std::filesystem::path file) : file_(std::move(file)) {}

std::string CmdConfigFile::describe(const std::string& reason) const {
    return file_.filename().string() + ": " + reason;
}

CmdLoadResult CmdConfigFile::load(CmdStore& store, const LocalTime& now) {
    keepAsIs_ = false;
    CmdLoadResult result;
    auto leaveFile = [&](CmdLoadStatus status, std::string message) {
        keepAsIs_ = true;
        RebuildCmdStore(store);
        result.status = status;
        result.messages.push_back(std::move(message));
        return result;
    };

    std::error_code ec;
    const bool exists = std::filesystem::status(file_, ec).type() != std::filesystem::file_type::not_found;
    bool damaged = !exists;
    if (exists) {
        if (const std::string why = NotRegularFileReason(file_); !why.empty())
            return leaveFile(CmdLoadStatus::Unreadable, describe(why));
        QFile in(file_);
        if (!in.open(QIODevice::ReadOnly))
            return leaveFile(CmdLoadStatus::Unreadable, describe(in.errorString().toStdString()));
        // A trailing part of a record counts as no record; records after the 100th are not read.
        for (int i = 1; i <= kCmdLists && !damaged; ++i) {
            const qint64 n = in.read(reinterpret_cast<char*>(&store.list(i)), kRecSize);
            if (n < 0 || in.error() != QFileDevice::NoError)
                return leaveFile(CmdLoadStatus::Unreadable, describe(in.errorString().toStdString()));
            damaged = n != kRecSize || store.list(i).signature() != kCmdListSignature;
        }
    }
    if (!damaged) return result;

    std::string message = kCmdConfigProblem;
    if (exists) {
        const KeptFile kept = KeepDamagedCopy(file_, now);
        if (!kept.ok) return leaveFile(CmdLoadStatus::NotKept, "Проблема с файлом конфигурации\n" + KeptCopyNote(kept));
        message += "\n" + KeptCopyNote(kept);
    }
    result.messages.push_back(message);
    RebuildCmdStore(store);
    const FileResult written = WriteFileSafely(file_, store.image());
    result.status = written.ok ? CmdLoadStatus::Rebuilt : CmdLoadStatus::NotWritten;
    if (!written.ok) result.messages.push_back(describe(written.reason));
    return result;
}

FileResult CmdConfigFile::save(const CmdStore& store) {
    FileResult written = WriteFileSafely(file_, store.image());
    if (written.ok)
        keepAsIs_ = false;
    else
        written.reason = describe(written.reason);
    return written;
}

CmdCompareResult CmdConfigFile::changed(const CmdStore& store) const {
    CmdCompareResult result;
    if (keepAsIs_) return result;
    if (const std::string why = NotRegularFileReason(file_); !why.empty()) {
        result.error = describe(why);
        return result;
    }
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) {
        result.error = describe(in.errorString().toStdString());
        return result;
    }
    const auto rec = std::make_unique<TCmdListRec>();
    for (int i = 1; i <= kCmdLists && !result.changed; ++i) {
        const qint64 n = in.read(reinterpret_cast<char*>(rec.get()), kRecSize);
        if (n < 0 || in.error() != QFileDevice::NoError) {
            result.error = describe(in.errorString().toStdString());
            return result;
        }
        // A file cut short since the load lacks what the store holds.
        result.changed = n != kRecSize || !rec->sameTexts(store.list(i));
    }
    return result;
}

} // namespace trelvo
