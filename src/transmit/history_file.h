#pragma once
// The file `OldCmd` in the working directory: the 50 history records, no header, 12,800 bytes. Read once at
// start-up, written once at shutdown.

#include "common/clock.h"
#include "transmit/history.h"

#include <filesystem>
#include <string>

namespace trelvo {

enum class HistoryLoadStatus {
    Loaded,       // all 50 records read
    Created,      // the file was missing and has been created with 50 empty records
    Short,        // fewer than 50 complete records: those are used, the rest are empty
    Long,         // longer than 50 records: the first 50 are used
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

    // Never stops start-up: whatever goes wrong, `history` holds what could be used and the result says why. A file
    // of another size than 50 records is first copied beside it (its name stamped with `now`), since the save will
    // replace it and it may be a file the user cares about.
    HistoryLoadResult load(CmdHistory& history, const LocalTime& now);

    // Only when the file exists; written safely (common/safe_file.h), so a failed save leaves the previous file whole.
    HistorySaveResult save(const CmdHistory& history);

    const std::filesystem::path& path() const { return file_; }

private:
    std::filesystem::path file_;
    bool keepAsIs_ = false; // the load could not read the file, or could not keep a copy of an odd-sized one
};

} // namespace trelvo
