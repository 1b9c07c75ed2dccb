// Help texts of the main window: the default text, a command's 12 help lines under the pointer, the clearing
// controls, and the help editor opened from an edit field of editing mode.

#include "app/appearance.h"
#include "app/form1.h"
#include "common/cp1251.h"
#include "common/dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace trelvo {

void TForm1::OutHelpHelp() {
    // The blanks are part of the text: the lines are laid out by hand in the help area's font.
    static const char* const kLines[12] = {
        "Краткая справка по каждой команде",
        "   ",
        "   Здесь будет отображаться описание команд.",
        "   Редактируемая  справка  отображается при",
        "   наведении  указателя  мышки  на кнопку с",
        "   соответствующей командой.",
        "   ",
        "   Для редактирования справки нужно открыть",
        "   редактор  и  дважды  кликнуть  мышкой по",
        "   соответствующей   команде    в    режиме",
        "   редактирования. ",
        "   ",
    };
    for (int i = 1; i <= 12; ++i)
        HelpTexts[i]->setText(QString::fromUtf8(kLines[i - 1]));
}

void TForm1::ClearHelp() {
    for (int i = 1; i <= 12; ++i)
        HelpTexts[i]->clear();
}

// All 12 lines are written every time, so the help of one command never mixes with the lines of another.
void TForm1::ShowCmdHelp(int k) {
    for (int i = 1; i <= 12; ++i)
        HelpTexts[i]->setText(FromCp1251(CmdHelpLine(st.shell.CurrentList, k, i)));
}

void TForm1::ButtonCmdHelp(int k) {
    ShowCmdHelp(k);
}
void TForm1::EditCmdHelp(int k) {
    ShowCmdHelp(k);
}
void TForm1::ShowHelpAsFocus(int k) {
    ShowCmdHelp(k);
}

void TForm1::ShowWindowEdtHelp(int k) {
    st.shell.EditCmdIndex = k;
    SetBackground(CmdEdits[k], colors::Lime);
    WriteListCmd(st.shell.CurrentList);
    svc_.dialogs.editCommandHelp();
    ReadListCmd(st.shell.CurrentList);
    // The help area holds what the editor left there; it becomes the command's help.
    for (int i = 1; i <= 12; ++i)
        SetCmdHelpLine(st.shell.CurrentList, k, i, ToCp1251(HelpTexts[i]->text()));
    SetBackground(CmdEdits[k], WindowColor());
}

void TForm1::HelpEvent(QObject* watched, QEvent* event) {
    const int k = Tag(watched);
    const bool button = k > 0 && k <= 48 && watched == CmdButtons[k];
    const bool edit = k > 0 && k <= 48 && watched == CmdEdits[k];
    switch (event->type()) {
    case QEvent::MouseMove:
        if (button)
            ButtonCmdHelp(k);
        else if (edit)
            EditCmdHelp(k);
        // A move that a child ignored reaches its panel as well; only the panel's own surface clears the area.
        else if (clearsHelp_.contains(watched) &&
                 !static_cast<QWidget*>(watched)->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            ClearHelp();
        break;
    case QEvent::FocusIn:
        if (edit) ShowHelpAsFocus(k);
        break;
    case QEvent::MouseButtonDblClick:
        if (edit) ShowWindowEdtHelp(k);
        break;
    default:
        break;
    }
}

} // namespace trelvo
