#pragma once
// The file `OldCmd` in the working directory: the 50 history records, no header, 12,800 bytes. Read once at
// start-up, written once at shutdown.

#include "transmit/history.h"

#include <filesystem>
#include <string>

namespace trelvo {

enum class HistoryLoadStatus {
    Loaded,       // all 50 records read
    Created,      // the file was missing and has been created with 50 empty records
    Short,        // fewer than 50 complete records: those are used, the rest are empty
    Unreadable,   // the file exists but could not be read: the history starts empty
    CreateFailed, // the file was missing and could not be created
};

enum class HistorySaveStatus {
    Written,
    SkippedMissing,    // the file is gone: the history of this run is not saved
    SkippedUnreadable, // the file could not be read at start-up: it is left as it is rather than overwritten
    Failed,            // the file on disk is unchanged
};

struct HistoryFileResult {
    std::string message; // UTF-8, for one message box; empty when there is nothing to report
};

struct HistoryLoadResult : HistoryFileResult {
    HistoryLoadStatus status = HistoryLoadStatus::Loaded;
};

struct HistorySaveResult : HistoryFileResult {
    HistorySaveStatus status = HistorySaveStatus::Written;
};

class HistoryFile {
public:
    explicit HistoryFile(std::filesystem::path file = "OldCmd");

    // Never stops start-up: whatever goes wrong, `history` holds what could be used and the result says why.
    HistoryLoadResult load(CmdHistory& history);

    // Only when the file exists. The records go to a temporary file beside it, which then replaces it, so an
    // interrupted save leaves the previous file whole.
    HistorySaveResult save(const CmdHistory& history);

    const std::filesystem::path& path() const { return file_; }
    std::filesystem::path temporaryPath() const;

private:
    std::filesystem::path file_;
    bool keepUnread_ = false; // set when the load could not read an existing file
};

} // namespace trelvo
