// Receive-and-log handlers of the main window.

#include "app/form1.h"

#include "app/appearance.h"
#include "receive/log_scroll_bar.h"
#include "receive/log_text_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace trelvo {

void TForm1::StartReceiveTimers() {
    rxWakeOnData_ = svc_.serial.setReadNotify([this] { RxDataArrived(); });
    if (!rxWakeOnData_) RxTimer->start(); // a port that cannot tell is polled every millisecond
    placement_.setWake([this] { ScheduleHousekeeping(); });
    CustomFunctions->setSingleShot(true); // each tick arms the next one for when there is work
    CustomFunctions->start(0);
    answerSoon_ = new QTimer(this);
    answerSoon_->setSingleShot(true);
    connect(answerSoon_, &QTimer::timeout, this, &TForm1::UpdateArrivalPatience);
    UpdateArrivalPatience();
}

// A device talking on its own is drawn ten times a second while it streams (see LogHousekeeping), so news of every
// packet the moment it ends would wake the window for nothing: a port that stamps its arrivals holds the news this
// long. The answer to a command the user sent, and every answer when sending after each answer, is news at once.
void TForm1::UpdateArrivalPatience() {
    constexpr int kArrivalPatienceMs = 50;
    const bool prompt = CurrentSendMode() == SendMode::AfterAnswer || (answerSoon_ && answerSoon_->isActive());
    svc_.serial.setArrivalPatience(prompt ? 0 : kArrivalPatienceMs);
}

void TForm1::ExpectAnswer() {
    constexpr int kAnswerSoonMs = 2000;
    if (!answerSoon_) return;
    answerSoon_->start(kAnswerSoonMs);
    UpdateArrivalPatience();
}

// Bytes have arrived: read them now, unless the tick is already running every millisecond.
void TForm1::WakeRxTimer() {
    if (rxWakeOnData_ && (!RxTimer->isActive() || RxTimer->interval() > 1)) RxTimer->start(0);
}

namespace {

// The port as a tick run on its read notification sees it: never more waiting than was counted before that tick.
// What arrives meanwhile stays in the port for the next tick, a millisecond on, as if it had come just after.
class CountedPort final : public ForwardingSerialDevice {
public:
    CountedPort(SerialDevice& port, std::uint32_t counted) : ForwardingSerialDevice(port), counted_(counted) {}
    std::uint32_t bytesWaiting() override { return std::min(ForwardingSerialDevice::bytesWaiting(), counted_); }

private:
    std::uint32_t counted_;
};

} // namespace

// The port tells of new bytes. When no packet is open and they are too few to be cut for size, the tick that reads
// them cannot end a packet, so it can neither place an entry nor open a window (in which the port, still inside
// its notification, would tell of no more bytes): RxTimer's tick runs here and now, unless the timer is held,
// which spares the event loop a turn for every packet. Otherwise, and within a tick (whose own look at the port
// tells of bytes too), the timer runs it.
void TForm1::RxDataArrived() {
    if (!rxWakeOnData_ || RxTimer->signalsBlocked() || st.receive.RxBusy || !st.port.PortOpen) {
        WakeRxTimer();
        return;
    }
    // A port that takes bytes in on its own tells of them from the event loop, with their arrival times, so the
    // tick may run now, whatever it places. While a tick is already due (at once, or every millisecond) it is left
    // to that: the bytes wait in the port's queue, which goes on taking them in.
    if (svc_.serial.nextArrivalMs()) {
        if (!RxTimer->isActive() || RxTimer->interval() > 1) RxTick(rxPath_);
        return;
    }
    if (st.receive.RxLen != 0) {
        WakeRxTimer();
        return;
    }
    const std::uint32_t waiting = svc_.serial.bytesWaiting();
    if (waiting > RxState::kCutAbove) {
        WakeRxTimer();
        return;
    }
    CountedPort counted(svc_.serial, waiting);
    ReceivePath path{counted,          rxPath_.portOpen, rxPath_.clock,       rxPath_.counters,
                     rxPath_.settings, rxPath_.sink,     rxPath_.afterAnswer, rxPath_.tap};
    RxTick(path);
}

// The receive tick runs while it has work, with the same clock readings as a tick every millisecond: every
// millisecond while bytes keep arriving; with a packet open and the line silent, once more when the silence
// passes the time-out; with nothing waiting and no packet open not at all, until the port tells of new bytes.
void TForm1::ScheduleRxTimer(bool keepPolling, bool moreWaiting) {
    if (!rxWakeOnData_) return;
    int ms = -1;
    if (moreWaiting) {
        ms = 0; // bytes already taken in wait: only the event loop's other work goes first
    } else if (keepPolling) {
        ms = 1;
    } else if (st.port.PortOpen && st.receive.RxLen > 0) {
        const std::int64_t due = st.receive.LastRxMs + st.receive.RxTimeOutMs + 1 - svc_.clock.monotonicMs();
        ms = static_cast<int>(std::clamp<std::int64_t>(due, 1, 1000000));
    }
    if (ms < 0)
        RxTimer->stop();
    else if (!RxTimer->isActive() || RxTimer->interval() != ms)
        RxTimer->start(ms);
}

void TForm1::ScheduleHousekeeping() {
    const bool captions = rxCaptions_.readCaption || rxCaptions_.waitCaptions || rxCaptions_.transferCaption;
    const auto due = static_cast<int>(housekeeping_.msUntilDue(logView_, logFile_, svc_.clock, captions));
    if (CustomFunctions->isActive() && CustomFunctions->remainingTime() <= due) return;
    CustomFunctions->start(due);
}

void TForm1::RxTimerTimer() {
    RxTick(rxPath_);
}

void TForm1::RxTick(ReceivePath& path) {
    const bool skipped = st.receive.RxBusy; // a tick entered from a modal window only clears the flag
    const RxTickResult r = trelvo::RxTimerTimer(st.receive, path);
    // A tick that found bytes is followed by another: more may wait than one tick takes. A port that stamps its
    // bytes on arrival tells of the next ones itself, once the line falls silent.
    ScheduleRxTimer((skipped || r.readCaption) && !r.stamped, r.moreWaiting);
    // The figures are counted at once and shown with the next drawing, as the entries are.
    if (!r.readCaption && !r.waitCaptions && !r.transferCaption) return;
    const bool wasWaiting = rxCaptions_.readCaption || rxCaptions_.waitCaptions || rxCaptions_.transferCaption;
    rxCaptions_.readCaption |= r.readCaption;
    rxCaptions_.waitCaptions |= r.waitCaptions;
    rxCaptions_.transferCaption |= r.transferCaption;
    if (!wasWaiting) ScheduleHousekeeping();
}

void TForm1::ShowRxCaptions() {
    if (rxCaptions_.readCaption) LRead->setText(QString::fromStdString(ReadCaption(st.receive)));
    if (rxCaptions_.waitCaptions) {
        MinTimeWait->setText(QString::fromStdString(MinWaitCaption(st.receive)));
        MaxTimeWait->setText(QString::fromStdString(MaxWaitCaption(st.receive)));
    }
    if (rxCaptions_.transferCaption) StaticText3->setText(QString::fromStdString(TransferCaption(st.counters)));
    rxCaptions_ = {};
}

void TForm1::TimeOutRxClick(bool up) {
    trelvo::TimeOutRxClick(st.receive, up ? ArrowDirection::Up : ArrowDirection::Down);
    WakeRxTimer(); // an open packet is timed against the new time-out
    TimeOutAns->setText(QString::fromStdString(TimeOutCaption(st.receive.RxTimeOutMs)));
    SetBackground(TimeOutAns, TimeOutHighlighted(st.receive.RxTimeOutMs) ? colors::Yellow : BtnFaceColor());
}

void TForm1::BTClrStatClick() {
    trelvo::BTClrStatClick(st.receive, st.counters);
    MinTimeWait->setText(QString::fromStdString(MinWaitCaption(st.receive)));
    MaxTimeWait->setText(QString::fromStdString(MaxWaitCaption(st.receive)));
    LRead->setText(QString::fromStdString(ReadCaption(st.receive)));
    LSend->setText(QString::fromStdString(SentCaption(st.counters)));
}

void TForm1::FlushLogView() {
    ShowRxCaptions();
    if (!logView_.hasPending()) return;
    {
        // The new range and the new end, judged as one by the scroll bar. The view follows the newest line unless
        // the user scrolled back, and paints only where the new lines show.
        const HeldScrollBar held(MainWindow->verticalScrollBar());
        MainWindow->appendLines(logView_.pending());
    }
    housekeeping_.noteDrawn(svc_.clock.monotonicMs(), logView_.pendingEntries());
    logView_.clearPending();
}

void TForm1::BTLogClick() {
    logView_.clear();
    MainWindow->clear();
}

void TForm1::StartStopClick() {
    FlushLogView(); // the snapshot holds every entry placed so far
    SecondWindow->clear();
    const bool paused = logView_.StartStopClick();
    SetTag(StartStop, paused ? 1 : 0);
    StartStop->setText(QString::fromLatin1(logView_.StartStopCaption()));
    MainWindow->setVisible(!paused);
    SecondWindow->setVisible(paused);
    // The log's lines, an empty line and the stop line; an empty log has no line to end.
    if (paused) {
        const QScrollBar* live = MainWindow->verticalScrollBar();
        const bool following = live->value() >= live->maximum();
        const int firstLine = MainWindow->firstVisibleLine();
        SecondWindow->setPlainText(
            (MainWindow->store().lineCount() == 0 ? QString() : MainWindow->toPlainText() + QLatin1Char('\n')) +
            QLatin1Char('\n') + QString::fromLatin1(kLogStopLine));
        // The snapshot opens where the user was looking: at its end (the stop line) when the log was following
        // the newest entries, else at the same first line.
        QScrollBar* snapshot = SecondWindow->verticalScrollBar();
        snapshot->setValue(following ? snapshot->maximum() : firstLine);
    }
}

void TForm1::ShowLogFileState() {
    SetTag(StartLog, logFile_.state().LogRecording);
    StartLog->setText(QString::fromLatin1(logFile_.StartLogCaption()));
    STLog->setText(QString::fromStdString(logFile_.STLogText()));
}

void TForm1::StartLogClick() {
    logFile_.StartLogClick(svc_.clock);
    ShowLogFileState();
}

void TForm1::CloseLogFile() {
    logFile_.close();
}

void TForm1::WatchRenderSettings() {
    const auto update = [this] {
        render_.mode = RBHEX->isChecked() ? RenderMode::Hex : RenderMode::Ascii;
        render_.visTime = VisTime->isChecked();
        render_.filter = ToCp1251(FiltrLog->text());
    };
    update();
    connect(RBHEX, &QRadioButton::toggled, this, update);
    connect(VisTime, &QCheckBox::toggled, this, update);
    connect(FiltrLog, &QLineEdit::textChanged, this, update);
}

} // namespace trelvo
