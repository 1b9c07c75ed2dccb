// Transmit handlers of the main window: sending, the suffix and its directives, the sent-command history.

#include "app/form1.h"

#include "common/dialogs.h"
#include "transmit/checksum.h"
#include "transmit/transmission.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace trelvo {

TxMode TForm1::Mode() const {
    return RBHEX->isChecked() ? TxMode::Hex : TxMode::Ascii;
}

SendContext TForm1::TransmitContext() {
    return SendContext{
        st.transmit,
        st.port.PortOpen,
        svc_.serial,
        svc_.clock,
        svc_.dialogs,
        SendInputs{ToCp1251(AddStrCmd->text()), Mode(), VisTime->isChecked(), ToCp1251(FiltrLog->text())},
        st.history,
        placement_,
        st.counters,
        [this] {
            if (st.send.HistoryListMode) ReadOldCmd();
        }};
}

void TForm1::ShowTransmitCounters() {
    StaticText3->setText(QString::fromStdString(TransferCaption(st.counters)));
    LSend->setText(QString::fromStdString(SentCaption(st.counters)));
}

SendStatus TForm1::SendPortData(const QString& line) {
    if (RefuseWhileFileGoesOut()) return SendStatus::Busy;
    SendContext ctx = TransmitContext();
    const SendOutcome outcome = trelvo::SendPortData(ToCp1251(line), ctx);
    if (outcome.status == SendStatus::Sent) {
        ShowTransmitCounters();
        ExpectAnswer();
    }
    return outcome.status;
}

// The port has written more of a long line: the counter follows it, and a held send goes once it is all out.
void TForm1::TransmitWritten(std::uint64_t count) {
    if (RawFileSending()) return RawFileWritten(count);
    SendContext ctx = TransmitContext();
    trelvo::BytesWritten(count, ctx);
    ShowTransmitCounters();
}

// A line typed by hand that finds the port busy with two sends is refused aloud; automatic sends are not.
void TForm1::ButtonSendClick() {
    if (SendPortData(MainStrCmd->text()) == SendStatus::Draining)
        svc_.dialogs.message("Порт ещё передаёт предыдущие строки, эта строка не отправлена.");
}
void TForm1::RBASCIIClick() {
    AddStrCmd->setText(FromCp1251(DefaultSuffix(TxMode::Ascii)));
}
void TForm1::RBHEXClick() {
    AddStrCmd->setText(FromCp1251(DefaultSuffix(TxMode::Hex)));
}

namespace {
// A list box takes an item over only when the user has selected one. Qt makes the first item current when a list
// without a current item gets the focus; setting "no current item" explicitly keeps it from doing so.
void KeepUnselected(QListWidget* list) {
    if (list->selectedItems().isEmpty()) list->setCurrentIndex(QModelIndex());
}
QListWidgetItem* SelectedItem(const QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

// Shows a picker list under its field with the focus in it.
void ShowPicker(QListWidget* list) {
    KeepUnselected(list);
    list->show();
    list->raise();
    list->setFocus();
}

// Enter takes the selected item into the field (nothing selected: nothing happens); Esc only closes the list.
void PickFromList(QListWidget* list, int key, QLineEdit* field) {
    const QListWidgetItem* item = SelectedItem(list);
    if (key != Qt::Key_Escape && !item) return;
    if (key != Qt::Key_Escape) field->setText(item->text());
    list->hide();
    field->setFocus();
}

} // namespace

void TForm1::ShowDirectiveList() {
    ShowPicker(LBTail);
}
void TForm1::LBTailKeyPress(int key) {
    PickFromList(LBTail, key, AddStrCmd);
}

// While a command file is loaded the shared list holds its lines, which the file modes send: only the quick list
// is refilled then.
void TForm1::ReadOldCmd() {
    const bool shared = !st.send.FileMode;
    if (shared) OldCmdList->clear();
    FastOldCmd->clear();
    for (const Bytes& item : HistoryItems(st.history)) {
        if (shared) OldCmdList->addItem(FromCp1251(item));
        FastOldCmd->addItem(FromCp1251(item));
    }
}

void TForm1::ShowQuickHistory() {
    ReadOldCmd();
    ShowPicker(FastOldCmd);
}

void TForm1::FastOldCmdKeyPress(int key) {
    PickFromList(FastOldCmd, key, MainStrCmd);
}

// The history view of the shared list. The button is never shown, but its toggle works.
void TForm1::OldCommandsBTClick() {
    const bool opening = Tag(OldCommandsBT) == 0;
    SetTag(OldCommandsBT, opening ? 1 : 0);
    st.send.HistoryListMode = opening;
    st.send.FileMode = false;
    CBLists->setVisible(!opening);
    EditAllCmd->setVisible(!opening);
    ButtonReadFile->setVisible(!opening);
    RBName->setVisible(!opening);
    RbData->setVisible(!opening);
    if (opening) {
        OldCmdList->move(StaticText3->x(), OldCmdList->y());
        ReadOldCmd();
    }
    OldCmdList->setVisible(opening);
}

void TForm1::LoadHistory() {
    const HistoryLoadResult r = st.historyFile.load(st.history, svc_.clock.localTime());
    if (!r.message.empty()) svc_.dialogs.message(r.message);
    ReadOldCmd();
}

// A history that cannot be written keeps the window open unless the user chooses to close anyway: a cause that
// cannot be fixed (a directory become read-only) must not keep the program from ending.
bool TForm1::SaveHistory() {
    const HistorySaveResult r = st.historyFile.save(st.history);
    if (r.status == HistorySaveStatus::Failed)
        return svc_.dialogs.askCloseAnyway(r.message +
                                           "\n\nОкно можно оставить открытым, чтобы устранить причину, или закрыть "
                                           "программу; тогда история команд этого сеанса сохранена не будет.");
    if (!r.message.empty()) svc_.dialogs.message(r.message);
    return true;
}

} // namespace trelvo
