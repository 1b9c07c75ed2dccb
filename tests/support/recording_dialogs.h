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

    std::function<void()> whileMessage; // what happens while a modal message box is open
    bool holdNotices = false;           // notices stay open until the test runs their `closed`
    std::vector<std::function<void()>> openNotices;
    void notice(const std::string& text, std::function<void()> closed) override {
        messages.push_back(text);
        if (holdNotices)
            openNotices.push_back(std::move(closed));
        else if (closed)
            closed();
    }
    void message(const std::string& text) override {
        messages.push_back(text);
        if (whileMessage) whileMessage();
    }
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
