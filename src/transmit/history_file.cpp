#include "transmit/history_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace trelvo {

namespace {

// The reason of the last failed stream operation, as the platform words it.
std::string LastErrorText() {
    const int err = errno;
    return err != 0 ? std::generic_category().message(err) : std::string("Input/output error");
}

std::string Describe(const std::filesystem::path& file, const std::string& reason) {
    return file.filename().string() + ": " + reason;
}

bool WriteWhole(const std::filesystem::path& file, const Bytes& bytes, std::string& reason) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        reason = LastErrorText();
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
        reason = LastErrorText();
        return false;
    }
    out.close();
    if (out.fail()) {
        reason = LastErrorText();
        return false;
    }
    return true;
}

} // namespace

HistoryFile::HistoryFile(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path HistoryFile::temporaryPath() const {
    std::filesystem::path tmp = file_;
    tmp += ".tmp";
    return tmp;
}

HistoryLoadResult HistoryFile::load(CmdHistory& history) {
    history = CmdHistory{};
    keepUnread_ = false;
    HistoryLoadResult result;

    std::error_code ec;
    const auto st = std::filesystem::status(file_, ec);
    if (st.type() == std::filesystem::file_type::not_found) {
        std::string reason;
        if (WriteWhole(file_, HistoryToFileBytes(history), reason)) {
            result.status = HistoryLoadStatus::Created;
        } else {
            result.status = HistoryLoadStatus::CreateFailed;
            result.message = Describe(file_, reason);
        }
        return result;
    }
    if (ec || st.type() != std::filesystem::file_type::regular) {
        keepUnread_ = true;
        result.status = HistoryLoadStatus::Unreadable;
        result.message = Describe(file_, ec ? ec.message() : std::make_error_code(std::errc::is_a_directory).message());
        return result;
    }

    errno = 0;
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        keepUnread_ = true;
        result.status = HistoryLoadStatus::Unreadable;
        result.message = Describe(file_, LastErrorText());
        return result;
    }
    Bytes bytes(kHistoryFileSize, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        // What was read before the error is still good.
        keepUnread_ = true;
        HistoryFromFileBytes(history, bytes);
        result.status = HistoryLoadStatus::Unreadable;
        result.message = Describe(file_, LastErrorText());
        return result;
    }
    const std::size_t records = HistoryFromFileBytes(history, bytes);
    if (records < kHistoryEntries) {
        result.status = HistoryLoadStatus::Short;
        result.message = Describe(file_, "read beyond end of file: " + std::to_string(bytes.size()) + " of " +
                                             std::to_string(kHistoryFileSize) + " bytes, " + std::to_string(records) +
                                             " of " + std::to_string(kHistoryEntries) + " entries used");
    }
    return result;
}

HistorySaveResult HistoryFile::save(const CmdHistory& history) {
    HistorySaveResult result;
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) {
        result.status = HistorySaveStatus::SkippedMissing;
        return result;
    }
    if (keepUnread_) {
        result.status = HistorySaveStatus::SkippedUnreadable;
        return result;
    }
    const std::filesystem::path tmp = temporaryPath();
    std::string reason;
    if (!WriteWhole(tmp, HistoryToFileBytes(history), reason)) {
        // Only a half-written file of ours is cleared away, never whatever else stands at that name.
        if (std::filesystem::is_regular_file(tmp, ec)) std::filesystem::remove(tmp, ec);
        result.status = HistorySaveStatus::Failed;
        result.message = Describe(file_, reason);
        return result;
    }
    std::filesystem::rename(tmp, file_, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        result.status = HistorySaveStatus::Failed;
        result.message = Describe(file_, ec.message());
    }
    return result;
}

} // namespace trelvo
