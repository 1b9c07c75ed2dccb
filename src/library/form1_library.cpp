// Command library handlers of the main window: the store and its file, the page of 48 command buttons, the choice
// and paging of lists.

#include "app/form1.h"
#include "library/typing_limit.h"

#include "common/cp1251.h"
#include "common/dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <functional>

namespace trelvo {

namespace {

constexpr int kNameTypingLimit = 50;
constexpr int kLineTypingLimit = 250;
constexpr int kListNameTypingLimit = 150;

// Runs `action` on a double click on the watched control.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) action_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

// A double click on the list selector: its first press opens the drop-down list, which then takes the second press
// (the combo box never sees a double click). A second press over the box within the double-click time closes the
// list and counts as the double click; the choice of list stays as it was.
class ComboDoubleClickFilter : public QObject {
public:
    ComboDoubleClickFilter(QComboBox* box, std::function<void()> action)
        : QObject(box), box_(box), action_(std::move(action)) {
        box_->installEventFilter(this);
        QAbstractItemView* list = box_->view(); // creates the drop-down's container
        list->window()->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick && watched == box_) {
            action_();
        } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (watched == box_) {
                firstPress_.start();
            } else if (firstPress_.isValid() && firstPress_.elapsed() <= QApplication::doubleClickInterval() &&
                       box_->rect().contains(box_->mapFromGlobal(mouse->globalPosition().toPoint()))) {
                firstPress_.invalidate();
                box_->hidePopup();
                action_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox* box_;
    std::function<void()> action_;
    QElapsedTimer firstPress_;
};

// The wheel over the list selector changes the list only when the selector has the focus: a pointer that merely
// passes over it while the user scrolls leaves the list alone (and does not take the focus).
class WheelOnlyWithFocusFilter : public QObject {
public:
    explicit WheelOnlyWithFocusFilter(QWidget* box) : QObject(box), box_(box) {
        box_->setFocusPolicy(Qt::StrongFocus);
        box_->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && watched == box_ && !box_->hasFocus()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* box_;
};

// A button caption shows an ampersand as itself, not as the mark of a shortcut key.
QString Caption(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void TForm1::LoadCmdStore() {
    const CmdLoadResult r = st.cmdConfig.load(st.cmdStore, svc_.clock.localTime());
    for (const std::string& m : r.messages)
        svc_.dialogs.message(m);
}

bool TForm1::SaveCmdStore() {
    WriteListCmd(st.shell.CurrentList);
    const FileResult r = st.cmdConfig.save(st.cmdStore);
    if (!r.ok) svc_.dialogs.message(r.reason);
    return r.ok;
}

// A comparison that cannot be made counts as a change: the save prompt then lets the user save, close without
// saving or stay, so a file that cannot be read never keeps the window from closing.
bool TForm1::CmdStoreChanged() {
    const CmdCompareResult r = st.cmdConfig.changed(st.cmdStore);
    if (r.error.empty()) return r.changed;
    svc_.dialogs.message(r.error);
    return true;
}

std::string TForm1::GetCmdName(int list, int k) const {
    return st.cmdStore.GetCmdName(list, k);
}
std::string TForm1::GetCmdLine(int list, int k) const {
    return st.cmdStore.GetCmdLine(list, k);
}
void TForm1::SetCmdName(int list, int k, std::string_view text) {
    st.cmdStore.SetCmdName(list, k, text);
}
void TForm1::SetCmdLine(int list, int k, std::string_view text) {
    st.cmdStore.SetCmdLine(list, k, text);
}
int TForm1::GetCurrentList() const {
    return st.shell.CurrentList;
}
std::string TForm1::CmdHelpLine(int list, int k, int line) const {
    return st.cmdStore.GetHelpLine(list, k, line);
}
void TForm1::SetCmdHelpLine(int list, int k, int line, std::string_view text) {
    st.cmdStore.SetHelpLine(list, k, line, text);
}
std::string TForm1::ListNameOf(int list) const {
    return st.cmdStore.GetListName(list);
}
void TForm1::SetListName(int list, std::string_view text) {
    st.cmdStore.SetListName(list, text);
}

void TForm1::ReadListCmd(int list) {
    TCmdListRec& rec = st.cmdStore.list(list);
    const bool names = RBName->isChecked();
    const int limit = names ? kNameTypingLimit : kLineTypingLimit;
    for (int k = 1; k <= kCmdsPerList; ++k) {
        const QString name = FromCp1251(rec.cmdName(k));
        const QString line = FromCp1251(rec.cmdLine(k));
        QPushButton* button = CmdButtons[static_cast<std::size_t>(k)];
        QLineEdit* edit = CmdEdits[static_cast<std::size_t>(k)];
        for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(edit)}) {
            QFont font = w->font();
            font.setBold(names);
            w->setFont(font);
            w->setToolTip(names ? line : name);
        }
        button->setText(Caption(names ? name : line));
        SetTextKeepingLong(edit, names ? name : line, limit);
    }
    if (rec.listName().empty()) rec.setListName("[" + std::to_string(list) + "]");
    const QString listName = FromCp1251(rec.listName());
    STListName->setText(listName);
    SetTextKeepingLong(ListNameEDT, listName, kListNameTypingLimit);
    CBLists->clear();
    QStringList all;
    for (int i = 1; i <= kCmdLists; ++i)
        all << FromCp1251(st.cmdStore.GetListName(i));
    CBLists->addItems(all);
    CBLists->setCurrentIndex(list - 1);
}

void TForm1::WriteListCmd(int list) {
    TCmdListRec& rec = st.cmdStore.list(list);
    rec.setListName(ToCp1251(ListNameEDT->text()));
    const bool names = RBName->isChecked();
    for (int k = 1; k <= kCmdsPerList; ++k) {
        const Bytes text = ToCp1251(CmdEdits[static_cast<std::size_t>(k)]->text());
        if (names)
            rec.setCmdName(k, text);
        else
            rec.setCmdLine(k, text);
    }
}

void TForm1::ClrListCmd(int list) {
    st.cmdStore.list(list).clearTexts();
}

void TForm1::ButtonCmdClick(int k) {
    const QString line = FromCp1251(st.cmdStore.GetCmdLine(st.shell.CurrentList, k));
    if (RBSel->isChecked()) {
        SendPortData(line);
        ButtonSend->setFocus();
    } else {
        MainStrCmd->setText(line);
        MainStrCmd->setFocus();
    }
}

// Re-reading the page would put the stored list name over one typed in editing mode; it is taken over first.
void TForm1::RBNameClick() {
    if (EditMode()) SetListName(st.shell.CurrentList, ToCp1251(ListNameEDT->text()));
    ReadListCmd(st.shell.CurrentList);
}
void TForm1::RbDataClick() {
    if (EditMode()) SetListName(st.shell.CurrentList, ToCp1251(ListNameEDT->text()));
    ReadListCmd(st.shell.CurrentList);
}

void TForm1::CBListsClick(int index) {
    st.shell.CurrentList = index + 1;
    ReadListCmd(st.shell.CurrentList);
    ListDec->setEnabled(st.shell.CurrentList > 1);
    ListInc->setEnabled(st.shell.CurrentList < kCmdLists);
}

void TForm1::CBListsDblClick() {
    CBLists->hide();
    STListName->setText(FromCp1251(st.cmdStore.list(st.shell.CurrentList).listName()));
    STListName->show();
}

void TForm1::STListNameDblClick() {
    if (st.send.FileMode) return;
    CBLists->show();
    STListName->hide();
}

void TForm1::ListIncClick() {
    ListDec->setEnabled(true);
    if (EditMode()) WriteListCmd(st.shell.CurrentList);
    if (st.shell.CurrentList >= kCmdLists) return;
    ReadListCmd(++st.shell.CurrentList);
    if (st.shell.CurrentList == kCmdLists) ListInc->setEnabled(false);
}

void TForm1::ListDecClick() {
    ListInc->setEnabled(true);
    if (EditMode()) WriteListCmd(st.shell.CurrentList);
    if (st.shell.CurrentList <= 1) return;
    ReadListCmd(--st.shell.CurrentList);
    if (st.shell.CurrentList == 1) ListDec->setEnabled(false);
}

void TForm1::DelListClick() {
    ClrListCmd(st.shell.CurrentList);
    ReadListCmd(st.shell.CurrentList);
}

void TForm1::SaveFClick() {
    SaveF->setEnabled(false);
    SaveCmdStore();
    SaveF->setEnabled(true);
}

void TForm1::ConnectLibraryPage() {
    connect(RBName, &QRadioButton::clicked, this, &TForm1::RBNameClick);
    connect(RbData, &QRadioButton::clicked, this, &TForm1::RbDataClick);
    connect(CBLists, &QComboBox::activated, this, &TForm1::CBListsClick);
    connect(ListInc, &QPushButton::clicked, this, &TForm1::ListIncClick);
    connect(ListDec, &QPushButton::clicked, this, &TForm1::ListDecClick);
    connect(DelList, &QPushButton::clicked, this, &TForm1::DelListClick);
    connect(SaveF, &QPushButton::clicked, this, &TForm1::SaveFClick);
    new ComboDoubleClickFilter(CBLists, [this] { CBListsDblClick(); });
    new WheelOnlyWithFocusFilter(CBLists);
    STListName->installEventFilter(new DoubleClickFilter(STListName, [this] { STListNameDblClick(); }));
}

} // namespace trelvo
