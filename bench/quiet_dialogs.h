#pragma once
// The program's dialogs for the benchmark drivers, answered at once. A message in the middle of a benchmark spoils
// it, so it is counted and, unless silent, printed.

#include "common/dialogs.h"

#include <cstdio>
#include <optional>
#include <string>

namespace trelvo::bench {

class QuietDialogs final : public Dialogs {
public:
    explicit QuietDialogs(bool silent = false) : silent_(silent) {}
    int shown = 0;
    void message(const std::string& text) override {
        ++shown;
        if (!silent_) std::fprintf(stderr, "message box: %s\n", text.c_str());
    }
    void showOpenPortError() override {
        ++shown;
        if (!silent_) std::fprintf(stderr, "the open-the-port picture was shown\n");
    }
    SaveAnswer askSaveChanges() override { return SaveAnswer::No; }
    std::optional<std::string> fileAnswer; // what the file-open dialog answers; nothing: cancelled
    std::optional<std::string> chooseCommandFile() override { return fileAnswer; }
    void showInfo() override {}

private:
    bool silent_;
};

} // namespace trelvo::bench
