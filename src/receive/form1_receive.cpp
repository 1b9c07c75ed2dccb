// Receive-and-log handlers of the main window.

#include "app/form1.h"

#include "app/appearance.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>

namespace trelvo {

void TForm1::RxTimerTimer() {
    const RxTickResult r = trelvo::RxTimerTimer(st.receive, rxPath_);
    if (r.readCaption) LRead->setText(QString::fromStdString(ReadCaption(st.receive)));
    if (r.waitCaptions) {
        MinTimeWait->setText(QString::fromStdString(MinWaitCaption(st.receive)));
        MaxTimeWait->setText(QString::fromStdString(MaxWaitCaption(st.receive)));
    }
    if (r.transferCaption) StaticText3->setText(QString::fromStdString(TransferCaption(st.counters)));
}

void TForm1::TimeOutRxClick(bool up) {
    trelvo::TimeOutRxClick(st.receive, up ? ArrowDirection::Up : ArrowDirection::Down);
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
    if (!logView_.hasPending()) return;
    QScrollBar* bar = MainWindow->verticalScrollBar();
    const bool following = bar->value() == bar->maximum(); // a user who scrolled back keeps his place
    QTextCursor end(MainWindow->document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock(); // one change for the view to lay out, not two
    // Each batch starts a line of its own, as each entry does within the batch.
    if (!MainWindow->document()->isEmpty()) end.insertBlock();
    end.insertText(FromCp1251(logView_.pending()));
    end.endEditBlock();
    logView_.clearPending();
    if (following) bar->setValue(bar->maximum());
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
    if (paused)
        SecondWindow->setPlainText(
            (MainWindow->document()->isEmpty() ? QString() : MainWindow->toPlainText() + QLatin1Char('\n')) +
            QLatin1Char('\n') + QString::fromLatin1(kLogStopLine));
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
