#pragma once
// The modal windows of the program, shown for real.

#include "common/dialogs.h"

class QWidget;
class QFileDialog;

namespace trelvo {

class TFormEditHelpCmd;
class TSave;
class TInfo;
class TOpenPortError;

class QtDialogs final : public Dialogs {
public:
    // The windows are created after the main window; they are handed over once they exist. The about box, the
    // picture of a port not open and the file-open dialog are made when first shown, as children of the main
    // window: most runs never show them, and the file dialog alone would cost a third of the start-up.
    void attach(QWidget* mainWindow, TSave* save);
    void attachHelpEditor(TFormEditHelpCmd* editor) { editHelp_ = editor; }

    void message(const std::string& utf8Text) override;
    bool askCloseAnyway(const std::string& utf8Text) override;
    void notice(const std::string& utf8Text, std::function<void()> closed) override;
    void showOpenPortError() override;
    SaveAnswer askSaveChanges() override;
    SaveAnswer offerSave(const std::function<bool()>& save) override;
    void editCommandHelp() override;
    std::optional<std::string> chooseCommandFile() override;
    void showInfo() override;

private:
    QWidget* main_ = nullptr;
    TSave* save_ = nullptr;
    TInfo* info_ = nullptr;
    TOpenPortError* openPortError_ = nullptr;
    QFileDialog* open_ = nullptr;
    TFormEditHelpCmd* editHelp_ = nullptr;
};

} // namespace trelvo
