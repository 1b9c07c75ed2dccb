#pragma once
// The help editor of one command: its name, its command line and its 12 help lines, edited together. Every
// change is live: the name and the command line go into the store at every keystroke, the help lines into the
// main window's help area, from which the main window takes them when the editor closes.

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;

namespace trelvo {

class TForm1;

class TFormEditHelpCmd : public QDialog {
    Q_OBJECT
public:
    explicit TFormEditHelpCmd(TForm1& main, QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* CmdName;
    QLabel* Label2;
    QLineEdit* CmdData;
    QLabel* Label3;
    std::array<QLineEdit*, 13> Edits{}; // Edit1 .. Edit12, numbered from 1

    void FormCreate();
    void FormActivate();
    void FormCanResize();
    void EditChange(int i);
    void CmdNameChange();
    void CmdDataChange();
    // Enter and Backspace of the key table; true when the key was consumed.
    bool FieldKeyPress(QLineEdit* field, int key);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& main_;
    std::array<QLabel*, 13> helpTexts_{}; // the main window's help lines
    int designWidth_ = 0, designEditWidth_ = 0, designNameWidth_ = 0, designDataWidth_ = 0;
};

} // namespace trelvo
