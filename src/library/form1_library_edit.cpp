// Editing mode of the command page and the exit check with its save prompt.

#include "app/form1.h"
#include "common/cp1251.h"
#include "common/dialogs.h"
#include "library/typing_limit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace trelvo {

bool TForm1::EditMode() const {
    return Tag(EditAllCmd) != 0;
}

void TForm1::ConnectLibraryEditing() {
    connect(EditAllCmd, &QPushButton::clicked, this, &TForm1::EditAllCmdClick);
    for (int i = 1; i <= 48; ++i) {
        QLineEdit* e = CmdEdits[i];
        connect(e, &QLineEdit::textChanged, this, [this, e] { SaveEditTextCmd(Tag(e)); });
    }
}

void TForm1::EditAllCmdClick() {
    const int list = st.shell.CurrentList;
    if (!EditMode()) {
        SetTag(EditAllCmd, 1);
        EditAllCmd->setText(QString::fromUtf8("Назад"));
        CBLists->hide();
        for (QWidget* w : {static_cast<QWidget*>(ListNameEDT), static_cast<QWidget*>(DelList),
                           static_cast<QWidget*>(ListInc), static_cast<QWidget*>(ListDec)})
            w->show();
        STLog->hide();
        SaveF->show();
        StaticText1->show();
        OldCommandsBT->hide();
        ButtonReadFile->hide();
        ReadListCmd(list);
        for (int i = 1; i <= 48; ++i)
            CmdButtons[i]->hide();
        for (int i = 1; i <= 48; ++i)
            CmdEdits[i]->show();
        SetTextKeepingLong(ListNameEDT, FromCp1251(ListNameOf(list)), 150);
        return;
    }
    SetTag(EditAllCmd, 0);
    EditAllCmd->setText(QString::fromUtf8("Редактор"));
    SetListName(list, ToCp1251(ListNameEDT->text()));
    ListNameEDT->hide();
    STListName->setText(ListNameEDT->text());
    STListName->hide();
    CBLists->show();
    for (QWidget* w : {static_cast<QWidget*>(DelList), static_cast<QWidget*>(ListInc), static_cast<QWidget*>(ListDec)})
        w->hide();
    STLog->show();
    SaveF->hide();
    StaticText1->hide();
    ButtonReadFile->show(); // the history button stays hidden
    WriteListCmd(list);
    ReadListCmd(list);
    for (int i = 1; i <= 48; ++i)
        CmdButtons[i]->show();
    for (int i = 1; i <= 48; ++i)
        CmdEdits[i]->hide();
}

void TForm1::SaveEditTextCmd(int k) {
    st.shell.EditCmdIndex = k;
    const Bytes text = ToCp1251(CmdEdits[k]->text());
    if (RBName->isChecked())
        SetCmdName(st.shell.CurrentList, k, text);
    else
        SetCmdLine(st.shell.CurrentList, k, text);
}

void TForm1::CancelExit() {
    st.shell.ExitCancelled = true;
}

void TForm1::ExitCheck() {
    // A list name typed in editing mode is taken over first, as leaving editing mode would, so that the comparison
    // sees it and it is not lost without a question.
    if (EditMode()) SetListName(st.shell.CurrentList, ToCp1251(ListNameEDT->text()));
    if (CmdStoreChanged() && svc_.dialogs.offerSave([this] { return SaveCmdStore(); }) == SaveAnswer::Cancel)
        CancelExit();
}

} // namespace trelvo
