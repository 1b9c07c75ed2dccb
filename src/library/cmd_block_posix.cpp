#include "library/cmd_block.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo {

namespace {

int OpenUnnamed(const std::filesystem::path& dir) {
#ifdef O_TMPFILE
    int fd;
    do {
        fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
#else
    (void)dir;
    return -1; // a named temporary file could be left behind by a crash; the heap is the better fallback
#endif
}

// Copies `size` bytes through a small buffer, so that the copy never passes through a 10 MB buffer of ours.
// A source shorter than `size` leaves the rest of the copy's length as zero bytes. Returns the bytes read, -1 on
// a failure.
long long CopyInto(int from, int to, std::size_t size) {
    char buf[64 * 1024];
    std::size_t done = 0;
    while (done < size) {
        const std::size_t want = std::min(sizeof buf, size - done);
        const ssize_t n = ::read(from, buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        for (ssize_t put = 0; put < n;) {
            const ssize_t w = ::write(to, buf + put, static_cast<std::size_t>(n - put));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return -1;
            put += w;
        }
        done += static_cast<std::size_t>(n);
    }
    // Allocated, not sparse: a store into a hole could need a block the disk no longer has.
    if (done < size && ::posix_fallocate(to, static_cast<off_t>(done), static_cast<off_t>(size - done)) != 0) return -1;
    return static_cast<long long>(done);
}

} // namespace

CmdBlock::CmdBlock(std::size_t size) : size_(size), data_(static_cast<char*>(std::calloc(size, 1))) {
    if (!data_) throw std::bad_alloc();
}

CmdBlock::~CmdBlock() {
    release();
}

void CmdBlock::release() {
    if (file_ >= 0) {
        ::munmap(data_, size_);
        ::close(file_);
    } else {
        std::free(data_);
    }
    data_ = nullptr;
    file_ = -1;
}

bool CmdBlock::readQuietly(std::size_t offset, void* to, std::size_t n) const {
    if (file_ < 0 || offset + n > size_) return false;
    ssize_t got;
    do {
        got = ::pread(file_, to, n, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(n);
}

long long CmdBlock::mapCopyOf(const std::filesystem::path& file) {
    int from;
    do {
        from = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    } while (from < 0 && errno == EINTR);
    if (from < 0) return -1;
    struct stat st {};
    if (::fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(from);
        return -1;
    }
    std::filesystem::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    // Beside the library, where there is room for it; else the system's temporary directory.
    int to = OpenUnnamed(dir);
    if (to < 0) {
        const char* tmp = std::getenv("TMPDIR");
        to = OpenUnnamed(tmp && *tmp ? tmp : "/tmp");
    }
    long long got = -1;
    void* map = MAP_FAILED;
    if (to >= 0) {
        got = CopyInto(from, to, size_);
        if (got >= 0) map = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, to, 0);
        if (map == MAP_FAILED) ::close(to);
    }
    ::close(from);
    if (map == MAP_FAILED) return -1;
    release();
    data_ = static_cast<char*>(map);
    file_ = to; // kept for readQuietly: reads of it see the mapping's stores at once
    return got;
}

} // namespace trelvo
