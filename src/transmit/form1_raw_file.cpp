// Sending a file's raw bytes from the main window: choosing the file, the progress window, the port's reports of
// bytes written while the file goes out, and its end. The rule lives in raw_file_send.*.

#include "app/form1.h"

#include "common/dialogs.h"
#include "transmit/send_file_progress.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>

namespace trelvo {

namespace {
const char* const kFileGoingOut = "Идёт отправка файла, эта строка не отправлена.";
const char* const kPortStillWriting = "Порт ещё передаёт предыдущие строки, файл не отправлен.";
} // namespace

// Ctrl+Shift+F opens the file to send from anywhere in the window.
void TForm1::ConnectRawFileSend() {
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this);
    key->setObjectName(QStringLiteral("SendRawFileKey"));
    connect(key, &QShortcut::activated, this, &TForm1::SendRawFileClick);
}

bool TForm1::RawFileSending() const {
    return rawFile_.running();
}

bool TForm1::RefuseWhileFileGoesOut() {
    if (!RawFileSending()) return false;
    svc_.dialogs.message(kFileGoingOut);
    return true;
}

void TForm1::SendRawFileClick() {
    if (RawFileSending()) { // one file at a time: its window comes forward
        SendFileProgress->raise();
        SendFileProgress->activateWindow();
        return;
    }
    if (!st.port.PortOpen) {
        svc_.dialogs.showOpenPortError();
        return;
    }
    // The file's bytes follow nothing else in the port, so every report of bytes written while it goes is its own.
    const auto portWriting = [this] {
        if (!st.transmit.SendBusy && !st.transmit.held && svc_.serial.bytesToWrite() == 0) return false;
        svc_.dialogs.message(kPortStillWriting);
        return true;
    };
    if (portWriting()) return;
    const std::optional<std::string> chosen = svc_.dialogs.chooseCommandFile();
    // The dialog runs its own event loop: the port may have closed or a send begun meanwhile.
    if (!chosen || !st.port.PortOpen || RawFileSending() || portWriting()) return;
    if (!SendFileProgress) {
        SendFileProgress = new TSendFileProgress(this);
        connect(SendFileProgress, &TSendFileProgress::cancelRequested, this, &TForm1::CancelRawFileClick);
        connect(SendFileProgress, &TSendFileProgress::refreshDue, this, &TForm1::RawFileTick);
    }
    const RawSendStep step = rawFile_.start(*chosen, svc_.clock.monotonicMs());
    if (step.end == RawSendEnd::NotOpened) {
        svc_.dialogs.message(step.message);
        return;
    }
    ArmPeriodTimer(); // periodic sending pauses while the file goes out
    if (step.end != RawSendEnd::Running) {
        RawFileEnded(step);
        return;
    }
    SendFileProgress->Begin(rawFile_.name());
    ShowTransmitCounters();
}

void TForm1::CancelRawFileClick() {
    const RawSendStep step = rawFile_.cancel();
    if (step.end != RawSendEnd::Running)
        RawFileEnded(step);
    else if (SendFileProgress)
        SendFileProgress->End();
}

void TForm1::RawFileWritten(std::uint64_t count) {
    const RawSendStep step = rawFile_.written(count, svc_.clock.monotonicMs());
    ShowTransmitCounters();
    if (step.end != RawSendEnd::Running) RawFileEnded(step);
}

void TForm1::RawFileTick() {
    const RawSendStep step = rawFile_.checkPort(st.port.PortOpen);
    if (step.end != RawSendEnd::Running)
        RawFileEnded(step);
    else if (SendFileProgress && RawFileSending())
        SendFileProgress->Show(rawFile_.progress(svc_.clock.monotonicMs()));
}

// One entry tells the outcome, as a sent entry: stamped when "TIME + " is ticked, and behind the filter like every
// entry. A message follows where the user must hear of it.
void TForm1::RawFileEnded(const RawSendStep& step) {
    if (SendFileProgress) SendFileProgress->End();
    ShowTransmitCounters();
    const Bytes entry =
        (VisTime->isChecked() ? TimeStampPrefix(svc_.clock.localTime(), Direction::Sent) : Bytes()) + step.entry;
    PlaceEntry(entry, ToCp1251(FiltrLog->text()), placement_);
    ArmPeriodTimer();
    if (!step.message.empty()) svc_.dialogs.message(step.message);
}

} // namespace trelvo
