// Send-mode handlers of the main window: after-answer, periodic and file sending, the housekeeping tick.

#include "app/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace trelvo {

void TForm1::CheckSendDataAftAnswer(std::uint32_t) {}
// In file mode the next file line goes instead; that branch arrives with file sending.
void TForm1::CheckSendDataAftConnect() {
    if (!st.send.FileMode) SendPortData(MainStrCmd->text());
}
void TForm1::CustomFunctionsTimer() {
    // 1
    FastOldCmd->resize(MainStrCmd->width(), FastOldCmd->height());
    // 2, 3: the line limit (also while paused), the log file's flush, the clock
    const LogHousekeepingResult r = housekeeping_.tick(logView_, logFile_, svc_.clock);
    if (r.clearView) MainWindow->clear();
    FlushLogView();
    if (r.logCaptions) ShowLogFileState();
    if (r.clockChanged) TextTime->setText(FromCp1251(r.clockText));
    // 4: restarting cyclic periodic sending arrives with file sending.
    ScheduleHousekeeping();
}
void TForm1::TimerPeriodTimer() {}

} // namespace trelvo
