#pragma once
#include "common/dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace trelvo::test {

// Records what would have been shown; answers from queues filled by the test.
class RecordingDialogs final : public Dialogs {
public:
    std::vector<std::string> messages; // UTF-8, in order
    int openPortErrorShown = 0;
    std::function<void()> whileOpenPortError; // what happens while the error window is open
    int saveAsked = 0;
    int infoShown = 0;
    std::deque<SaveAnswer> saveAnswers;                 // default No
    std::deque<bool> closeAnywayAnswers;                // default false: the window stays open
    std::deque<std::optional<std::string>> fileAnswers; // default cancelled
    int helpEditorShown = 0;
    std::function<void()> helpEditor; // what the user does while the help editor is open

    void message(const std::string& text) override { messages.push_back(text); }
    void showOpenPortError() override {
        ++openPortErrorShown;
        if (whileOpenPortError) whileOpenPortError();
    }
    SaveAnswer askSaveChanges() override {
        ++saveAsked;
        if (saveAnswers.empty()) return SaveAnswer::No;
        const SaveAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    // The question is recorded with the messages.
    bool askCloseAnyway(const std::string& text) override {
        messages.push_back(text);
        if (closeAnywayAnswers.empty()) return false;
        const bool a = closeAnywayAnswers.front();
        closeAnywayAnswers.pop_front();
        return a;
    }
    std::optional<std::string> chooseCommandFile() override {
        if (fileAnswers.empty()) return std::nullopt;
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
    void showInfo() override { ++infoShown; }
    void editCommandHelp() override {
        ++helpEditorShown;
        if (helpEditor) helpEditor();
    }
};

} // namespace trelvo::test
