#include "app/command_line.h"

#include <string_view>

#ifndef TRELVO_VERSION
#define TRELVO_VERSION "unknown"
#endif

namespace trelvo {

CommandLineAnswer ReadCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") return {true, std::string("trelvo ") + TRELVO_VERSION + "\n"};
        if (arg == "--help" || arg == "-h")
            return {true, "Usage: trelvo [--help | --version]\n"
                          "A terminal for a serial (COM) port. Without arguments it opens its window in the current\n"
                          "directory, where it keeps its command library (CmdConfig), its history (OldCmd) and its\n"
                          "log files.\n"
                          "  --help     print this text and exit\n"
                          "  --version  print the version and exit\n"};
    }
    return {};
}

} // namespace trelvo
