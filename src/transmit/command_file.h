#pragma once
// A text file of command lines, chosen by the user to be sent line by line. Whatever file is chosen (a 2 GB binary
// by mistake), reading is bounded: at most 500 lines of at most 64 KiB each, taken in chunks, never the whole file.

#include "common/cp1251.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace trelvo {

inline constexpr std::size_t kCommandFileMaxLines = 500;
inline constexpr std::size_t kCommandLineMaxBytes = 64 * 1024;
// 500 lines of 64 KiB need half of this; the rest is for skipped line ends and cut tails. A file without line ends
// (a disk image, /dev/zero) is thus given up within a fraction of a second instead of being read to its end.
inline constexpr std::uint64_t kCommandFileMaxBytes = 64ull * 1024 * 1024;

struct CommandFile {
    bool opened = false;      // false: nothing was read, and the list keeps what it held
    std::vector<Bytes> lines; // CP1251 bytes in file order, without their line ends
    bool full = false;        // 500 lines or 64 MiB were read (the rest, if any, is not): "Большой файл"
    std::string error;        // UTF-8: the file's name and the platform's reason; empty when all went well
};

// LF, CR LF and a lone CR each end a line; a last line without a line end counts; empty lines count. A longer line
// is cut at 64 KiB and its rest up to the next line end skipped. NUL bytes are kept like any other. Reading stops
// after `maxBytes`; the line then being read counts as cut there. When reading fails midway, `lines` holds the lines
// read so far.
CommandFile ReadCommandFile(const std::filesystem::path& file, std::size_t chunkBytes = 64 * 1024,
                            std::uint64_t maxBytes = kCommandFileMaxBytes);

} // namespace trelvo
