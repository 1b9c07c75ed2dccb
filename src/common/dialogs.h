#pragma once
// Everything modal the system shows. Texts here are UTF-8 (they are the program's own Russian texts, not port
// data). Tests record what would have been shown and answer for the user.

#include <optional>
#include <string>

namespace trelvo {

enum class SaveAnswer { Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box with one text; returns when the user closed it.
    virtual void message(const std::string& utf8Text) = 0;
    // The picture window that asks the user to open the port first.
    virtual void showOpenPortError() = 0;
    // The save prompt at exit. Closing it any other way answers No.
    virtual SaveAnswer askSaveChanges() = 0;
    // The file-open dialog for a command file; no filter. Returns the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseCommandFile() = 0;
    virtual void showInfo() = 0;
};

} // namespace trelvo
