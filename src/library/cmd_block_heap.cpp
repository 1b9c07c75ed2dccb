#include "library/cmd_block.h"

#include <cstdlib>
#include <new>

// Platforms without the mapped copy: the block stays on the heap and the file is read into it.
namespace trelvo {

CmdBlock::CmdBlock(std::size_t size) : size_(size), data_(static_cast<char*>(std::calloc(size, 1))) {
    if (!data_) throw std::bad_alloc();
}

CmdBlock::~CmdBlock() {
    release();
}

void CmdBlock::release() {
    std::free(data_);
    data_ = nullptr;
}

long long CmdBlock::mapCopyOf(const std::filesystem::path&) {
    return -1;
}

bool CmdBlock::readQuietly(std::size_t, void*, std::size_t) const {
    return false;
}

} // namespace trelvo
