#pragma once
// The file `CmdConfig` in the working directory: the 100 records of the library back to back, 10,258,000 bytes.
// Read once at start-up, compared at every close request, written only when the user saves or by the rebuild of a
// missing or damaged file.

#include "common/clock.h"
#include "common/safe_file.h"
#include "library/cmd_store.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace trelvo {

// The message of a missing or damaged library.
inline constexpr const char* kCmdConfigProblem = "Проблема с файлом конфигурации, он будет перезаписан";

enum class CmdLoadStatus {
    Loaded,     // 100 sound records read
    Rebuilt,    // missing or damaged: rebuilt and written (a damaged file was kept beside it first)
    NotWritten, // rebuilt in memory; writing the new file failed
    NotKept,    // damaged, but no copy of it could be kept: rebuilt in memory, the file left as it is
    Unreadable, // the file exists but could not be read: an empty library in memory, the file left as it is
};

struct CmdLoadResult {
    CmdLoadStatus status = CmdLoadStatus::Loaded;
    std::vector<std::string> messages; // UTF-8, one message box each, in order
};

struct CmdCompareResult {
    bool changed = false;
    std::string error; // UTF-8 with the platform's reason; the comparison could not be made
};

class CmdConfigFile {
public:
    explicit CmdConfigFile(std::filesystem::path file = "CmdConfig");

    // Never stops start-up. A damaged file is copied beside it (named with `now`) before the rebuild writes.
    CmdLoadResult load(CmdStore& store, const LocalTime& now);
    // The whole store, written safely; on failure the old file is whole and the reason says why.
    FileResult save(const CmdStore& store);
    // Whether some list differs from its record in the file. After a load that left the file as it was (unreadable,
    // or damaged without a copy) the store is not the file's image: until a save it is compared with the library
    // as it stood right after the load, so that the edits of this run are still offered for saving.
    CmdCompareResult changed(const CmdStore& store) const;

    const std::filesystem::path& path() const { return file_; }
    // The file is left alone by everything but an explicit save.
    bool keptAsIs() const { return keepAsIs_; }

private:
    std::filesystem::path file_;
    bool keepAsIs_ = false;
    std::unique_ptr<CmdStore> loaded_; // the library right after a load that left the file alone
};

} // namespace trelvo
