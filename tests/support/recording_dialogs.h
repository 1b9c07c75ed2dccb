#pragma once
#include "common/dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace trelvo::test {

// Records what would have been shown; answers from queues filled by the test.
class RecordingDialogs final : public Dialogs {
public:
    std::vector<std::string> messages; // UTF-8, in order
    int openPortErrorShown = 0;
    int saveAsked = 0;
    int infoShown = 0;
    std::deque<SaveAnswer> saveAnswers;                 // default No
    std::deque<std::optional<std::string>> fileAnswers; // default cancelled

    void message(const std::string& text) override { messages.push_back(text); }
    void showOpenPortError() override { ++openPortErrorShown; }
    SaveAnswer askSaveChanges() override {
        ++saveAsked;
        if (saveAnswers.empty()) return SaveAnswer::No;
        const SaveAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    std::optional<std::string> chooseCommandFile() override {
        if (fileAnswers.empty()) return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
    void showInfo() override { ++infoShown; }
};

} // namespace trelvo::test
