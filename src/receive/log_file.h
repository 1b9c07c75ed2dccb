#pragma once
// Recording the log into "LOG_<date and time>.txt" in the working directory: one file per run, paused and resumed
// by the StartLog button, closed at shutdown. Each entry placed while recording is one CP1251 line ending in CR LF.
//
// Entries are only appended to memory where they are placed (the 1 ms receive tick, the send path); the file is
// written by flush(), which runs on every pause, at shutdown, and from the housekeeping tick at least once a
// second while recording. A failure to create the file leaves recording off; a failed write stops recording and
// is reported once.

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/dialogs.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace trelvo {

// "LOG_" + year month day hour minute second, without leading zeros, separated by single blanks, + ".txt".
Bytes LogFileNameFor(const LocalTime& t);

struct LogFileState {
    bool LogRecording = false; // the StartLog button's on/off state
    bool LogActive = false;    // entries placed now are written
    bool LogFileOpen = false;  // this run's file has been created
    Bytes LogFileName;         // ASCII; empty until created
};

class LogFile {
public:
    static constexpr std::int64_t kFlushEveryMs = 1000;
    static constexpr std::size_t kFlushAtBytes = 256 * 1024; // the housekeeping tick writes a large buffer early
    static constexpr std::size_t kHardLimitBytes = 16 * 1024 * 1024; // written at once only if housekeeping stalls

    explicit LogFile(Dialogs& dialogs);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // The StartLog button. `nowMs` is the monotonic clock, `local` the time that names a new file.
    void StartLogClick(const LocalTime& local, std::int64_t nowMs);
    void StartLogClick(const Clock& clock) { StartLogClick(clock.localTime(), clock.monotonicMs()); }

    // The writer of placed entries: queued only while LogActive.
    void write(std::string_view entry);

    // The housekeeping tick. Writes the buffer when a second has passed since the last write or it has grown
    // large. Returns true when recording was stopped by a failed write (StartLog and STLog must be rewritten).
    bool flushIfDue(std::int64_t nowMs);
    // Writes everything queued so far. Returns false when the write failed (recording is then stopped).
    bool flush(std::int64_t nowMs);
    // Shutdown: writes what is queued and closes the file.
    void close();

    // When flushIfDue() will next write, on the clock it is given; none while nothing is queued.
    std::optional<std::int64_t> flushDueMs() const {
        if (buffer_.empty()) return std::nullopt;
        return buffer_.size() >= kFlushAtBytes ? lastFlushMs_ : lastFlushMs_ + kFlushEveryMs;
    }

    const LogFileState& state() const { return state_; }
    const char* StartLogCaption() const;
    std::string STLogText() const; // UTF-8
    std::size_t buffered() const { return buffer_.size(); }

private:
    bool createFile(const LocalTime& local);
    bool writeOut();
    void fail(const std::string& reason);
    void reportPending();

    Dialogs& dialogs_;
    LogFileState state_;
    std::FILE* file_ = nullptr;
    Bytes buffer_;
    std::int64_t lastFlushMs_ = 0;
    std::string pendingError_; // shown at the next safe point, never from inside write()
};

} // namespace trelvo
