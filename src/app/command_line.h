#pragma once
// What the command line asks of the program before any window or data file is touched.

#include <string>

namespace trelvo {

struct CommandLineAnswer {
    bool exitNow = false; // print `text` to standard output and end with status 0
    std::string text;
};

// "--help" and "--version" answer at once (the first of them given wins); any other argument is left to Qt and
// otherwise ignored.
CommandLineAnswer ReadCommandLine(int argc, const char* const* argv);

} // namespace trelvo
