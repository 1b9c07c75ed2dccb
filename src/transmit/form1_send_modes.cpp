// Send-mode handlers of the main window: the mode buttons, the period timer, after-answer and file sending, the shared
// list, and the housekeeping tick.
//
// The period timer wakes the process only when a tick can do something. Logically it is on or off exactly as the
// mode buttons, "Отправить из файла", the cyclic restart and its own end of a pass say (`PeriodTimerOn`). The
// QTimer itself runs only in periodic mode with the port open and a period set, and then sleeps until the next
// send is due; every change of those inputs (mode, port, `PeriodTX`, the timer switched on) re-arms it. Left on in
// another mode, its ticks would only set `PeriodTicked`, which is therefore set when the timer is switched on.

#include "app/form1.h"

#include "common/dialogs.h"
#include "transmit/command_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <climits>

namespace trelvo {

namespace {
const char* const kHintOff = "hintWhileNoFile"; // the hint of STListName while a command file hides it
}

SendMode TForm1::CurrentSendMode() const {
    if (RBAfterAns->isChecked()) return SendMode::AfterAnswer;
    if (RBSel->isChecked()) return SendMode::OnSelection;
    if (RBPeriod->isChecked()) return SendMode::Period;
    return SendMode::Manual;
}

// A send held until the port has written a long line counts as running: scheduled steps then move nothing, so
// periodic sending on a slow line sends back to back and no file line is skipped.
ScheduleInputs TForm1::SendModeInputs() const {
    return ScheduleInputs{CurrentSendMode(), CiklSend->isChecked(), static_cast<std::size_t>(OldCmdList->count()),
                          st.transmit.SendBusy || st.transmit.held.has_value() || RawFileSending()};
}

void TForm1::ConnectSendModes() {
    connect(RBManual, &QRadioButton::clicked, this, &TForm1::RBManualClick);
    connect(RBAfterAns, &QRadioButton::clicked, this, &TForm1::RBAfterAnsClick);
    connect(RBSel, &QRadioButton::clicked, this, &TForm1::RBSelClick);
    connect(RBPeriod, &QRadioButton::clicked, this, &TForm1::RBPeriodClick);
    // However the mode or the cyclic box changes, the timer follows at once rather than at the next housekeeping
    // tick, which may sleep while it has nothing to do.
    connect(RBPeriod, &QRadioButton::toggled, this, [this] {
        RestartCyclicSending();
        ArmPeriodTimer();
    });
    connect(CiklSend, &QCheckBox::toggled, this, &TForm1::RestartCyclicSending);
    connect(PeriodTX, &QLineEdit::textChanged, this, &TForm1::ArmPeriodTimer);
    connect(ButtonReadFile, &QPushButton::clicked, this, &TForm1::ButtonReadFileClick);
    connect(SendStart, &QPushButton::clicked, this, &TForm1::SendStartClick);
    connect(OldCmdList, &QListWidget::itemClicked, this, &TForm1::OldCmdListClick);
}

void TForm1::ChooseSendMode(SendMode mode) {
    const ModeControls c = trelvo::ChooseSendMode(st.send, mode);
    OldCmdList->setEnabled(c.oldCmdList);
    SendStart->setEnabled(c.sendStart);
    CiklSend->setEnabled(c.ciklSend);
    UpdateArrivalPatience();
    ArmPeriodTimer();
}

void TForm1::RBManualClick() {
    ChooseSendMode(SendMode::Manual);
}
void TForm1::RBAfterAnsClick() {
    ChooseSendMode(SendMode::AfterAnswer);
}
void TForm1::RBSelClick() {
    ChooseSendMode(SendMode::OnSelection);
}
void TForm1::RBPeriodClick() {
    ChooseSendMode(SendMode::Period);
}

void TForm1::CarryOut(const SendAction& action) {
    switch (action.kind) {
    case SendAction::Kind::None:
        return;
    case SendAction::Kind::MainStrCmd:
        SendPortData(MainStrCmd->text());
        return;
    case SendAction::Kind::FileLine:
        if (const QListWidgetItem* item = OldCmdList->item(static_cast<int>(action.line))) {
            const SendStatus status = SendPortData(item->text());
            // An empty line goes nowhere but is passed; a closed port or a dropped send keeps the line next.
            if (status == SendStatus::Sent || status == SendStatus::Held || status == SendStatus::EmptyLine)
                FileLineHanded(st.send, action);
        }
        return;
    case SendAction::Kind::Notice:
        ShowAllCommandsSent();
        return;
    }
}

// The notice leaves the window usable: a device that keeps talking in after-answer mode reaches the end of the list
// again and again, and the user must still get to "Ручная", Disconnect or the close box. It is never opened from
// within a receive tick as a modal window either: Qt does not fire a timer again while its own slot still runs, so
// the receive timer would stop for as long as the window stayed open.
void TForm1::ShowAllCommandsSent() {
    if (st.send.NoticeOpen) return;
    st.send.NoticeOpen = true;
    svc_.dialogs.notice(kAllCommandsSent, [this] { st.send.NoticeOpen = false; });
}

void TForm1::ArmPeriodTimer() {
    const std::optional<std::int64_t> wait =
        PeriodTimerWait(st.send, CurrentSendMode(), ParsePeriod(ToCp1251(PeriodTX->text())), st.port.PortOpen,
                        svc_.clock.monotonicMs());
    if (!wait || RawFileSending()) { // a raw file going out: no tick could send
        TimerPeriod->stop();
        return;
    }
    TimerPeriod->start(static_cast<int>(std::min<std::int64_t>(*wait, INT_MAX)));
}

void TForm1::RestartCyclicSending() {
    if (trelvo::RestartCyclicSending(st.send, CiklSend->isChecked(), CurrentSendMode())) ArmPeriodTimer();
}

void TForm1::TimerPeriodTimer() {
    const SendAction action = PeriodTimerTick(st.send, SendModeInputs(), ParsePeriod(ToCp1251(PeriodTX->text())),
                                              st.port.PortOpen, svc_.clock.monotonicMs());
    ArmPeriodTimer(); // so the timer is off before its own notice is shown
    CarryOut(action);
    if (action.kind == SendAction::Kind::Notice) RestartCyclicSending();
}

void TForm1::CheckSendDataAftAnswer(std::uint32_t waiting) {
    CarryOut(trelvo::CheckSendDataAftAnswer(st.send, SendModeInputs(), waiting));
}

void TForm1::CheckSendDataAftConnect() {
    if (st.send.FileMode)
        StartSendCommands();
    else
        SendPortData(MainStrCmd->text());
}

void TForm1::StartSendCommands() {
    const SendAction action = trelvo::StartSendCommands(st.send, SendModeInputs());
    ArmPeriodTimer();
    CarryOut(action);
}

void TForm1::SendStartClick() {
    if (RefuseWhileFileGoesOut()) return;
    StartSendCommands();
}

void TForm1::OldCmdListClick() {
    const QListWidgetItem* item = OldCmdList->currentItem();
    if (!item || !item->isSelected()) return;
    const QString text = item->text(); // a send in history view refills the list
    OldCmdList->setEnabled(false);
    if (RBSel->isChecked())
        SendPortData(text);
    else
        MainStrCmd->setText(text);
    OldCmdList->setEnabled(true);
    MainStrCmd->setFocus();
}

void TForm1::ButtonReadFileClick() {
    if (st.send.FileMode)
        LeaveFileMode();
    else
        LoadCommandFile();
}

void TForm1::LoadCommandFile() {
    const std::optional<std::string> chosen = svc_.dialogs.chooseCommandFile();
    if (!chosen) return;
    ButtonReadFile->setText(QString::fromUtf8("Назад"));
    st.send.HistoryListMode = false;
    st.send.FileMode = true;
    st.send.FileLineIndex = 0;

    CBLists->hide();
    if (!STListName->toolTip().isEmpty()) {
        STListName->setProperty(kHintOff, STListName->toolTip());
        STListName->setToolTip(QString());
    }
    STListName->resize(STListName->x() + ButtonReadFile->x() - 20, STListName->height());
    CiklSend->setEnabled(RBAfterAns->isChecked() || RBPeriod->isChecked());
    CiklSend->show();
    STListName->show();
    OldCmdList->show();
    OldCmdList->setEnabled(true);
    EditAllCmd->hide();
    SendStart->show();
    for (QWidget* w :
         {static_cast<QWidget*>(RBName), static_cast<QWidget*>(RbData), static_cast<QWidget*>(OldCommandsBT)})
        w->hide();
    STListName->setText(QFile::decodeName(QByteArray::fromStdString(*chosen)));

    // A file that cannot be opened leaves the list empty: whatever it held before is no line of this file.
    const CommandFile file = ReadCommandFile(std::filesystem::path(*chosen));
    QStringList items;
    items.reserve(static_cast<qsizetype>(file.lines.size()));
    for (const Bytes& line : file.lines)
        items << FromCp1251(line);
    OldCmdList->clear();
    OldCmdList->addItems(items);
    if (!file.error.empty())
        svc_.dialogs.message(file.error);
    else if (file.full)
        svc_.dialogs.message(kBigCommandFile);
}

void TForm1::LeaveFileMode() {
    ButtonReadFile->setText(QString::fromUtf8("Из файла"));
    st.send.HistoryListMode = true;
    st.send.FileMode = false; // FileLineIndex keeps its value, and a running period timer goes on with MainStrCmd
    STListName->setText(FromCp1251(ListNameOf(GetCurrentList())));
    OldCmdList->clear();
    const QVariant hint = STListName->property(kHintOff);
    if (hint.isValid()) STListName->setToolTip(hint.toString());
    for (QWidget* w : {static_cast<QWidget*>(CiklSend), static_cast<QWidget*>(OldCmdList),
                       static_cast<QWidget*>(STListName), static_cast<QWidget*>(SendStart)})
        w->hide();
    for (QWidget* w : {static_cast<QWidget*>(EditAllCmd), static_cast<QWidget*>(CBLists), static_cast<QWidget*>(RBName),
                       static_cast<QWidget*>(RbData)})
        w->show();
}

void TForm1::CustomFunctionsTimer() {
    // The quick history list stays as wide as the command line.
    FastOldCmd->resize(MainStrCmd->width(), FastOldCmd->height());
    // The line limit (also while paused), the log file's flush, the clock.
    const LogHousekeepingResult r = housekeeping_.tick(logView_, logFile_, svc_.clock);
    if (r.clearView) MainWindow->clear();
    FlushLogView();
    if (r.logCaptions) ShowLogFileState();
    if (r.clockChanged) TextTime->setText(FromCp1251(r.clockText));
    // A cyclic periodic pass whose timer has stopped starts again. The state changes that can call for this do it
    // at once as well, so nothing depends on this tick running.
    RestartCyclicSending();
    ScheduleHousekeeping();
}

} // namespace trelvo
