#pragma once
// Everything modal the system shows. Texts here are UTF-8 (they are the program's own Russian texts, not port
// data). Tests record what would have been shown and answer for the user.

#include <functional>
#include <optional>
#include <string>

namespace trelvo {

enum class SaveAnswer { Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box with one text; returns when the user closed it.
    virtual void message(const std::string& utf8Text) = 0;
    // A message box that leaves the main window usable: shown without waiting; `closed` runs once the user has
    // closed it. A double that does not stand in for it shows a message and closes it at once.
    virtual void notice(const std::string& utf8Text, std::function<void()> closed) {
        message(utf8Text);
        if (closed) closed();
    }
    // The picture window that asks the user to open the port first.
    virtual void showOpenPortError() = 0;
    // The save prompt at exit. Esc, or closing it any other way than by its buttons, answers Cancel.
    virtual SaveAnswer askSaveChanges() = 0;
    // The save prompt with the save itself: "Да" runs `save`, and while that fails the prompt stays open for
    // another answer. A double answers from askSaveChanges.
    virtual SaveAnswer offerSave(const std::function<bool()>& save) {
        for (;;) {
            const SaveAnswer answer = askSaveChanges();
            if (answer != SaveAnswer::Yes || save()) return answer;
        }
    }
    // A close that would lose something (the text says what): true closes anyway. Keeping the window open is the
    // default answer, and closing the question any other way answers it too.
    virtual bool askCloseAnyway(const std::string& utf8Text) {
        message(utf8Text);
        return false;
    }
    // The help editor of one command, modal; returns when it has closed. A double that does not stand in for it
    // shows nothing.
    virtual void editCommandHelp() {}
    // The file-open dialog for a command file; no filter. Returns the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseCommandFile() = 0;
    virtual void showInfo() = 0;
};

} // namespace trelvo
