#include "transmit/history_file.h"

#include "common/safe_file.h"

#include <QFile>

namespace trelvo {

namespace {

std::string Describe(const std::filesystem::path& file, const std::string& reason) {
    return file.filename().string() + ": " + reason;
}

constexpr const char* kNotCreated =
    "Не удалось создать файл истории команд %. История команд этого сеанса сохранена не будет.";
constexpr const char* kNotRead =
    "Не удалось прочитать файл истории команд %. Файл оставлен без изменений, история начата пустой.";
constexpr const char* kNotWritten = "Не удалось записать историю команд в файл %. Файл на диске не изменён.";

std::string SizeNote(std::uint64_t size, std::size_t records) {
    const std::string n = std::to_string(size);
    if (size < kHistoryFileSize)
        return "файл короче " + std::to_string(kHistoryFileSize) + " байт (" + n +
               " байт), прочитано записей: " + std::to_string(records) + " из " + std::to_string(kHistoryEntries);
    return "файл длиннее " + std::to_string(kHistoryFileSize) + " байт (" + n + " байт), использованы первые " +
           std::to_string(kHistoryEntries) + " записей";
}

} // namespace

HistoryFile::HistoryFile(std::filesystem::path file) : file_(std::move(file)) {}

HistoryLoadResult HistoryFile::load(CmdHistory& history, const LocalTime& now) {
    history = CmdHistory{};
    keepAsIs_ = false;
    RemoveStaleTemporaryFiles(file_);
    HistoryLoadResult result;

    std::error_code ec;
    const auto st = std::filesystem::status(file_, ec);
    if (st.type() == std::filesystem::file_type::not_found) {
        const FileResult w = WriteFileSafely(file_, HistoryToFileBytes(history));
        result.status = w.ok ? HistoryLoadStatus::Created : HistoryLoadStatus::CreateFailed;
        if (!w.ok) result.message = FailureText(kNotCreated, file_, w.reason);
        return result;
    }
    auto unreadable = [&](const std::string& reason) {
        keepAsIs_ = true;
        result.status = HistoryLoadStatus::Unreadable;
        result.message = FailureText(kNotRead, file_, reason);
        return result;
    };
    if (const std::string why = NotRegularFileReason(file_); !why.empty()) return unreadable(why);

    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) return unreadable(in.errorString().toStdString());
    const auto size = static_cast<std::uint64_t>(in.size());
    const QByteArray data = in.read(kHistoryFileSize);
    const Bytes bytes(data.constData(), static_cast<std::size_t>(data.size()));
    const std::size_t records = HistoryFromFileBytes(history, bytes);
    // What was read before an error is still good.
    if (in.error() != QFileDevice::NoError) return unreadable(in.errorString().toStdString());
    in.close();
    if (size == kHistoryFileSize) return result;

    result.status = records < kHistoryEntries ? HistoryLoadStatus::Short : HistoryLoadStatus::Long;
    const KeptFile kept = KeepDamagedCopy(file_, now);
    keepAsIs_ = !kept.ok;
    result.message = Describe(file_, SizeNote(size, records)) + "\n" + KeptCopyNote(kept);
    return result;
}

HistorySaveResult HistoryFile::save(const CmdHistory& history) {
    HistorySaveResult result;
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) {
        result.status = HistorySaveStatus::SkippedMissing;
        return result;
    }
    if (keepAsIs_) {
        result.status = HistorySaveStatus::SkippedUnreadable;
        return result;
    }
    const FileResult w = WriteFileSafely(file_, HistoryToFileBytes(history));
    if (!w.ok) {
        result.status = HistorySaveStatus::Failed;
        result.message = FailureText(kNotWritten, file_, w.reason);
    }
    return result;
}

} // namespace trelvo
