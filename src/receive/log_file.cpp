#include "receive/log_file.h"

#include <cerrno>
#include <cstring>

namespace trelvo {
namespace {

std::string SystemReason(int err) {
    return err != 0 ? std::strerror(err) : "unknown error";
}

} // namespace

Bytes LogFileNameFor(const LocalTime& t) {
    return "LOG_" + std::to_string(t.year) + ' ' + std::to_string(t.month) + ' ' + std::to_string(t.day) + ' ' +
           std::to_string(t.hour) + ' ' + std::to_string(t.minute) + ' ' + std::to_string(t.second) + ".txt";
}

LogFile::LogFile(Dialogs& dialogs) : dialogs_(dialogs) {}

LogFile::~LogFile() {
    // Last resort if shutdown did not close the file; nothing can be shown any more.
    if (file_ == nullptr) return;
    if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    std::fclose(file_);
}

void LogFile::StartLogClick(const LocalTime& local, std::int64_t nowMs) {
    reportPending();
    if (state_.LogRecording) {
        state_.LogRecording = false;
        state_.LogActive = false;
        flush(nowMs); // a paused log is complete on disk
        return;
    }
    // Recording is switched on only when there is a file behind it.
    if (!state_.LogFileOpen && !createFile(local)) return;
    state_.LogRecording = true;
    state_.LogActive = true;
    lastFlushMs_ = nowMs;
}

bool LogFile::createFile(const LocalTime& local) {
    const Bytes name = LogFileNameFor(local);
    errno = 0;
    std::FILE* f = std::fopen(name.c_str(), "wb"); // binary: CR LF and CP1251 bytes go out as they are
    if (f == nullptr) {
        dialogs_.message("Не удалось создать файл лога " + name + ": " + SystemReason(errno));
        return false;
    }
    std::setvbuf(f, nullptr, _IONBF, 0); // buffer_ is the only buffer
    file_ = f;
    state_.LogFileOpen = true;
    state_.LogFileName = name;
    return true;
}

void LogFile::write(std::string_view entry) {
    if (!state_.LogActive) return;
    buffer_.append(entry);
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= kHardLimitBytes) writeOut();
}

bool LogFile::writeOut() {
    if (buffer_.empty() || file_ == nullptr) return pendingError_.empty();
    errno = 0;
    const std::size_t written = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    const bool ok = written == buffer_.size() && std::fflush(file_) == 0;
    const int err = errno;
    // What could not be written is dropped: retrying would repeat the part that did reach the file.
    buffer_.clear();
    if (buffer_.capacity() > 4 * kFlushAtBytes) Bytes().swap(buffer_);
    if (ok) return true;
    std::clearerr(file_);
    fail(SystemReason(err));
    return false;
}

void LogFile::fail(const std::string& reason) {
    state_.LogRecording = false;
    state_.LogActive = false;
    if (pendingError_.empty()) pendingError_ = "Ошибка записи в файл лога " + state_.LogFileName + ": " + reason;
}

void LogFile::reportPending() {
    if (pendingError_.empty()) return;
    const std::string text = std::move(pendingError_);
    pendingError_.clear();
    dialogs_.message(text); // may run a nested event loop; the state is already consistent
}

bool LogFile::flushIfDue(std::int64_t nowMs) {
    if (!buffer_.empty() && (nowMs - lastFlushMs_ >= kFlushEveryMs || buffer_.size() >= kFlushAtBytes)) {
        lastFlushMs_ = nowMs;
        writeOut();
    }
    const bool stopped = !pendingError_.empty();
    reportPending();
    return stopped;
}

bool LogFile::flush(std::int64_t nowMs) {
    lastFlushMs_ = nowMs;
    const bool ok = writeOut();
    reportPending();
    return ok;
}

void LogFile::close() {
    writeOut();
    if (file_ != nullptr) {
        errno = 0;
        if (std::fclose(file_) != 0 && pendingError_.empty()) fail(SystemReason(errno));
        file_ = nullptr;
    }
    state_.LogRecording = false;
    state_.LogActive = false;
    state_.LogFileOpen = false; // a later start would need a new file, not the closed one
    reportPending();
}

const char* LogFile::StartLogCaption() const {
    if (state_.LogRecording) return "Pause Log";
    return state_.LogFileOpen ? "Go Log" : "Start Log";
}

std::string LogFile::STLogText() const {
    if (!state_.LogFileOpen) return "Запись в файл не ведётся";
    if (state_.LogRecording) return "Лог записывается в файл " + state_.LogFileName;
    return "Запись в файл лога приостановлена (" + state_.LogFileName + ")";
}

} // namespace trelvo
