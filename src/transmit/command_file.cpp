#include "transmit/command_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace trelvo {

namespace {

std::string Reason(int err) {
    return err != 0 ? std::generic_category().message(err) : std::string("Input/output error");
}

// Cuts a byte stream into lines, chunk by chunk; a CR LF split between two chunks stays one line end.
class LineSplitter {
public:
    explicit LineSplitter(std::vector<Bytes>& lines) : lines_(lines) {}

    bool full() const { return lines_.size() >= kCommandFileMaxLines; }

    void feed(const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n && !full(); ++i) {
            const char ch = data[i];
            const bool lfAfterCr = ch == '\n' && afterCr_;
            afterCr_ = ch == '\r';
            if (lfAfterCr) continue;
            if (ch == '\r' || ch == '\n') {
                endLine();
                continue;
            }
            open_ = true;
            if (line_.size() < kCommandLineMaxBytes) line_.push_back(ch);
        }
    }

    void finish() {
        if (open_ && !full()) endLine();
    }

private:
    void endLine() {
        lines_.push_back(std::move(line_));
        line_.clear();
        open_ = false;
    }

    std::vector<Bytes>& lines_;
    Bytes line_;
    bool open_ = false; // bytes have come since the last line end
    bool afterCr_ = false;
};

} // namespace

CommandFile ReadCommandFile(const std::filesystem::path& file, std::size_t chunkBytes, std::uint64_t maxBytes) {
    CommandFile result;
    const std::string name = file.filename().string();
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = name + ": " + Reason(errno);
        return result;
    }
    result.opened = true;
    LineSplitter splitter(result.lines);
    std::vector<char> chunk(std::max<std::size_t>(chunkBytes, 1));
    std::uint64_t total = 0;
    while (!splitter.full()) {
        if (total >= maxBytes) {
            splitter.finish();
            result.full = true;
            return result;
        }
        const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(chunk.size(), maxBytes - total));
        errno = 0;
        in.read(chunk.data(), want);
        const auto got = static_cast<std::size_t>(in.gcount());
        total += got;
        splitter.feed(chunk.data(), got);
        if (in.bad()) {
            result.error = name + ": " + Reason(errno);
            return result;
        }
        if (in.eof()) {
            splitter.finish();
            break;
        }
    }
    result.full = splitter.full();
    return result;
}

} // namespace trelvo
