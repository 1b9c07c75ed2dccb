#include "common/safe_file_platform.h"

#include <cerrno>
#include <cstring>
#include <io.h>

namespace trelvo::platform {

bool SyncFileToDisk(QFileDevice& file, std::string& reason) {
    if (::_commit(file.handle()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

// A rename on NTFS is recorded by the file system's journal; there is no directory to flush.
void SyncDirectory(const std::filesystem::path&) {}

// A file open for writing is shared without the right to delete it, so the removal below fails while it is written.
void MarkWriting(QFileDevice&) {}

bool RemoveUnlessWriting(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::remove(file, ec);
}

std::filesystem::perms NewFilePermissions() {
    return std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
}

} // namespace trelvo::platform
