#pragma once
// Writing the data files so that a crash, a full disk or a power cut never leaves one half written, and keeping a
// damaged file beside it before anything overwrites it. A user's saved library or history is never the price of a
// fault.

#include "common/clock.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace trelvo {

struct FileResult {
    bool ok = true;
    std::string reason; // UTF-8, the platform's words where it gave any; empty when ok
};

// Replaces the whole content of `file` by `bytes`: a temporary file in the directory of the real file, flushed to
// disk, then renamed over it. A symbolic link is followed: its target is written and the link stays a link. An
// existing file keeps its permissions; a new one gets those of any new file. On failure the old file is whole and
// the temporary file is gone. Refuses, with a true reason, a name that is not a regular file.
FileResult WriteFileSafely(const std::filesystem::path& file, std::string_view bytes);

// Removes what writes of `file` killed in the middle (a power cut, a kill) left beside it: temporary files of
// WriteFileSafely's own naming, "<name>.XXXXXX.tmp" with six letters or digits, that no process is writing now.
// Nothing else is touched. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& file);

// Why `file` cannot be used as a data file: empty when it is a regular file (through links) or does not exist.
std::string NotRegularFileReason(const std::filesystem::path& file);

struct KeptFile : FileResult {
    std::filesystem::path copy; // where the copy is, when ok
};

// Copies `file` beside itself as "<name>.bad-YYYYMMDD-hhmmss" (local time `now`), adding "-2", "-3" ... where that
// name is taken: an earlier copy is never overwritten. The copy is flushed to disk before this returns.
KeptFile KeepDamagedCopy(const std::filesystem::path& file, const LocalTime& now);

// The sentence that tells the user where the damaged file was kept ("... сохранён как CmdConfig.bad-..."), or why it
// could not be.
std::string KeptCopyNote(const KeptFile& kept);

// A file failure as told to the user: `what` says in words what failed and what was kept, with '%' standing for
// the file's name; the system's reason follows on a line of its own.
std::string FailureText(const char* what, const std::filesystem::path& file, const std::string& reason);

} // namespace trelvo
