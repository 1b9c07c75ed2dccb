#include "common/safe_file_platform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::platform {

bool SyncFileToDisk(QFileDevice& file, std::string& reason) {
    if (::fsync(file.handle()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

void SyncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // some file systems refuse this; the rename has happened either way
    ::close(fd);
}

// An advisory lock: a writer holds it from the creation of its temporary file to the rename.
void MarkWriting(QFileDevice& file) {
    ::flock(file.handle(), LOCK_EX | LOCK_NB);
}

bool RemoveUnlessWriting(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool removed = false;
    // Removed while the lock is held, so that no writer can take the file up in between.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) removed = ::unlink(file.c_str()) == 0;
    ::close(fd);
    return removed;
}

std::filesystem::perms NewFilePermissions() {
    // The mask can only be read by setting it; it is put back at once.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<std::filesystem::perms>(0666 & ~mask);
}

} // namespace trelvo::platform
