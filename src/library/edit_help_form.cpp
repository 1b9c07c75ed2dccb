#include "library/edit_help_form.h"

#include "app/appearance.h"
#include "app/form1.h"

#include <QLabel>
#include <QLineEdit>

namespace trelvo {

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
        return e;
    };
    Label1 = label("Label1", "Имя команды", 4);
    CmdName = edit(QStringLiteral("CmdName"), {0, 20, 361, 19}, 50);
    CmdName->setFont(DesignFont(11, true));
    Label2 = label("Label2", "Командная строка", 48);
    CmdData = edit(QStringLiteral("CmdData"), {0, 64, 361, 19}, 250);
    Label3 = label("Label3", "Описание команды", 96);
    for (int i = 1; i <= 12; ++i) {
        QLineEdit* e = edit(QStringLiteral("Edit%1").arg(i), {0, 112 + 20 * (i - 1), 361, 22}, 50);
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
    for (int i = 1; i <= 12; ++i)
        helpTexts_[i] = main_.HelpTexts[i];
    designWidth_ = width();
    designEditWidth_ = Edits[1]->width();
    designNameWidth_ = CmdName->width();
    designDataWidth_ = CmdData->width();
}

} // namespace trelvo
