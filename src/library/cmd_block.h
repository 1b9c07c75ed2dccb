#pragma once
// Where the library's 10 MB live. A new block is zero bytes on the heap. A block filled from the file is, where the
// platform allows, a copy of the file in an unnamed temporary file mapped into memory: the kernel brings in only
// the pages that are read (the list names and the lists the user opens) and can drop clean pages again, while no
// other program can change the copy under the store (as it could a mapping of the library file itself).

#include <cstddef>
#include <filesystem>

namespace trelvo {

class CmdBlock {
public:
    explicit CmdBlock(std::size_t size);
    ~CmdBlock();
    CmdBlock(const CmdBlock&) = delete;
    CmdBlock& operator=(const CmdBlock&) = delete;

    char* data() { return data_; }
    const char* data() const { return data_; }

    // Makes the block a mapped copy of the first size() bytes of `file`, zero bytes past its end, and returns how
    // many bytes came from the file. -1 where that could not be done: the block is as it was and the caller reads
    // the file itself (and reports why it could not).
    long long mapCopyOf(const std::filesystem::path& file);

    // Copies bytes of a mapped block without bringing its pages into the program's memory (the kernel maps the
    // neighbours of every page read, so a field read from each list would bring in most of the block). False where
    // the block is not mapped or the read failed: read data() instead.
    bool readQuietly(std::size_t offset, void* to, std::size_t n) const;

private:
    void release();

    std::size_t size_;
    char* data_ = nullptr;
    int file_ = -1; // the copy behind a mapped block
};

} // namespace trelvo
