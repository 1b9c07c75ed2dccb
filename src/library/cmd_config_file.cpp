#include "library/cmd_config_file.h"

#include <QFile>

#include <cstring>

namespace trelvo {

namespace {
constexpr qint64 kRecSize = static_cast<qint64>(kCmdListRecSize);

constexpr const char* kNotRead =
    "Не удалось прочитать файл библиотеки команд %. Файл оставлен без изменений, библиотека начата пустой.";
constexpr const char* kNotWritten =
    "Не удалось записать новый файл библиотеки команд %. Библиотека есть только в памяти.";
constexpr const char* kNotSaved = "Не удалось сохранить библиотеку команд в файл %. Файл на диске не изменён.";
constexpr const char* kNotCompared =
    "Не удалось прочитать файл библиотеки команд %, чтобы сравнить его с библиотекой в памяти.";
} // namespace

CmdConfigFile::CmdConfigFile(std::filesystem::path file) : file_(std::move(file)) {}

CmdLoadResult CmdConfigFile::load(CmdStore& store, const LocalTime& now) {
    keepAsIs_ = false;
    loaded_.reset();
    RemoveStaleTemporaryFiles(file_); // a save killed in the middle left its 10 MB beside the file
    CmdLoadResult result;
    auto leaveFile = [&](CmdLoadStatus status, std::string message) {
        keepAsIs_ = true;
        RebuildCmdStore(store);
        loaded_ = std::make_unique<CmdStore>();
        std::memcpy(loaded_->data(), store.image().data(), kCmdConfigSize);
        result.status = status;
        result.messages.push_back(std::move(message));
        return result;
    };

    std::error_code ec;
    const bool exists = std::filesystem::status(file_, ec).type() != std::filesystem::file_type::not_found;
    bool damaged = !exists;
    if (exists) {
        if (const std::string why = NotRegularFileReason(file_); !why.empty())
            return leaveFile(CmdLoadStatus::Unreadable, FailureText(kNotRead, file_, why));
        // A trailing part of a record counts as no record; records after the 100th are not read.
        if (const long long got = store.mapCopyOf(file_); got >= 0) {
            for (int i = 1; i <= kCmdLists && !damaged; ++i)
                damaged = got < i * kRecSize || store.signature(i) != kCmdListSignature;
        } else {
            QFile in(file_);
            if (!in.open(QIODevice::ReadOnly))
                return leaveFile(CmdLoadStatus::Unreadable,
                                 FailureText(kNotRead, file_, in.errorString().toStdString()));
            for (int i = 1; i <= kCmdLists && !damaged; ++i) {
                const qint64 n = in.read(reinterpret_cast<char*>(&store.list(i)), kRecSize);
                if (n < 0 || in.error() != QFileDevice::NoError)
                    return leaveFile(CmdLoadStatus::Unreadable,
                                     FailureText(kNotRead, file_, in.errorString().toStdString()));
                damaged = n != kRecSize || store.list(i).signature() != kCmdListSignature;
            }
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
    // The new file is the store's image: held as its mapped copy, the 10 MB the rebuild touched leave memory.
    if (written.ok) store.mapCopyOf(file_);
    if (!written.ok) result.messages.push_back(FailureText(kNotWritten, file_, written.reason));
    return result;
}

FileResult CmdConfigFile::save(const CmdStore& store) {
    FileResult written = WriteFileSafely(file_, store.image());
    if (written.ok) {
        keepAsIs_ = false;
        loaded_.reset();
    } else {
        written.reason = FailureText(kNotSaved, file_, written.reason);
    }
    return written;
}

CmdCompareResult CmdConfigFile::changed(const CmdStore& store) const {
    CmdCompareResult result;
    if (loaded_) {
        for (int i = 1; i <= kCmdLists && !result.changed; ++i)
            result.changed = !loaded_->list(i).sameTexts(store.list(i));
        return result;
    }
    if (const std::string why = NotRegularFileReason(file_); !why.empty()) {
        result.error = FailureText(kNotCompared, file_, why);
        return result;
    }
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) {
        result.error = FailureText(kNotCompared, file_, in.errorString().toStdString());
        return result;
    }
    const auto rec = std::make_unique<TCmdListRec>();
    for (int i = 1; i <= kCmdLists && !result.changed; ++i) {
        const qint64 n = in.read(reinterpret_cast<char*>(rec.get()), kRecSize);
        if (n < 0 || in.error() != QFileDevice::NoError) {
            result.error = FailureText(kNotCompared, file_, in.errorString().toStdString());
            return result;
        }
        // A file cut short since the load lacks what the store holds.
        result.changed = n != kRecSize || !rec->sameTexts(store.list(i));
    }
    return result;
}

} // namespace trelvo
