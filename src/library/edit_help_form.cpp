#include "library/edit_help_form.h"

#include "app/appearance.h"
#include "app/form1.h"
#include "common/cp1251.h"
#include "library/typing_limit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace trelvo {

namespace {
constexpr int kNameLimit = 50;
constexpr int kLineLimit = 250;
constexpr int kHelpLimit = 50;
} // namespace

TFormEditHelpCmd::TFormEditHelpCmd(TForm1& main, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint), main_(main) {
    setObjectName(QStringLiteral("FormEditHelpCmd"));
    setWindowTitle(QString::fromUtf8("Редактор макроса"));
    resize(368, 358); // client area of the 384 x 397 design window
    auto label = [this](const char* name, const char* text, int top) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(0, top, 200, 16);
        return l;
    };
    auto edit = [this](const QString& name, QRect g, int maxLength) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setGeometry(g);
        e->setMaxLength(maxLength);
        e->installEventFilter(this);
        return e;
    };
    Label1 = label("Label1", "Имя команды", 4);
    CmdName = edit(QStringLiteral("CmdName"), {0, 20, 361, 19}, kNameLimit);
    CmdName->setFont(DesignFont(11, true));
    Label2 = label("Label2", "Командная строка", 48);
    CmdData = edit(QStringLiteral("CmdData"), {0, 64, 361, 19}, kLineLimit);
    Label3 = label("Label3", "Описание команды", 96);
    for (int i = 1; i <= 12; ++i) {
        QLineEdit* e = edit(QStringLiteral("Edit%1").arg(i), {0, 112 + 20 * (i - 1), 361, 22}, kHelpLimit);
        e->setFont(DesignFont(13, true));
        TForm1::SetTag(e, i);
        Edits[static_cast<std::size_t>(i)] = e;
    }
    for (int i = 1; i < 12; ++i)
        setTabOrder(Edits[i], Edits[i + 1]);
    setTabOrder(Edits[12], CmdName);
    setTabOrder(CmdName, CmdData);
    FormCreate();
}

void TFormEditHelpCmd::FormCreate() {
    for (int i = 1; i <= 12; ++i) {
        helpTexts_[i] = main_.HelpTexts[i];
        QLineEdit* e = Edits[i];
        connect(e, &QLineEdit::textChanged, this, [this, e] { EditChange(TForm1::Tag(e)); });
    }
    connect(CmdName, &QLineEdit::textChanged, this, &TFormEditHelpCmd::CmdNameChange);
    connect(CmdData, &QLineEdit::textChanged, this, &TFormEditHelpCmd::CmdDataChange);
    designWidth_ = width();
    designEditWidth_ = Edits[1]->width();
    designNameWidth_ = CmdName->width();
    designDataWidth_ = CmdData->width();
}

void TFormEditHelpCmd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TFormEditHelpCmd::FormActivate() {
    const int list = main_.GetCurrentList();
    const int k = main_.st.shell.EditCmdIndex;
    SetTextKeepingLong(CmdName, FromCp1251(main_.GetCmdName(list, k)), kNameLimit);
    SetTextKeepingLong(CmdData, FromCp1251(main_.GetCmdLine(list, k)), kLineLimit);
    for (int i = 1; i <= 12; ++i)
        SetTextKeepingLong(Edits[i], helpTexts_[i]->text(), kHelpLimit);
    CmdName->setFocus();
}

void TFormEditHelpCmd::EditChange(int i) {
    helpTexts_[i]->setText(Edits[i]->text());
}

void TFormEditHelpCmd::CmdNameChange() {
    main_.SetCmdName(main_.GetCurrentList(), main_.st.shell.EditCmdIndex, ToCp1251(CmdName->text()));
}

void TFormEditHelpCmd::CmdDataChange() {
    main_.SetCmdLine(main_.GetCurrentList(), main_.st.shell.EditCmdIndex, ToCp1251(CmdData->text()));
}

// The editor's fields in the order the keys move through them: CmdName, CmdData, Edit1 .. Edit12.
bool TFormEditHelpCmd::FieldKeyPress(QLineEdit* field, int key) {
    const int i = field == CmdName ? -1 : field == CmdData ? 0 : TForm1::Tag(field);
    auto at = [this](int n) { return n == -1 ? CmdName : n == 0 ? CmdData : Edits[n]; };
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (i == 12)
            close();
        else
            at(i + 1)->setFocus();
        return true;
    }
    // The field is still as it was before the key: an empty one has nothing to delete, so only the focus moves.
    if (key == Qt::Key_Backspace && i > -1 && field->text().isEmpty()) at(i - 1)->setFocus();
    return false;
}

bool TFormEditHelpCmd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field && FieldKeyPress(field, static_cast<QKeyEvent*>(event)->key())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Runs after the change, so the fields follow the width the editor has now and always fit it.
void TFormEditHelpCmd::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormCanResize();
}

void TFormEditHelpCmd::FormCanResize() {
    if (designWidth_ == 0) return; // the first size, before the design widths are known
    const int delta = width() - designWidth_;
    CmdName->resize(designNameWidth_ + delta, CmdName->height());
    CmdData->resize(designDataWidth_ + delta, CmdData->height());
    for (int i = 1; i <= 12; ++i)
        Edits[i]->resize(designEditWidth_ + delta, Edits[i]->height());
}

} // namespace trelvo
