#pragma once
// The progress of a file's raw bytes going out: a small window of its own, not modal, so the log stays in view and
// the main window takes its events while the file drains. "Отмена", Esc and closing the window all stop the
// transfer. It only shows what it is told.

#include "transmit/raw_file_send.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace trelvo {

class TSendFileProgress : public QDialog {
    Q_OBJECT
public:
    // How often the figures are refreshed while a file goes out (the rate and time left move also on a stalled line).
    static constexpr int kRefreshMs = 250;

    explicit TSendFileProgress(QWidget* parent = nullptr);

    QLabel* STFileName;
    QProgressBar* Progress;
    QLabel* STAmount;
    QLabel* STRate;
    QLabel* STTimeLeft;
    QPushButton* BTCancel;
    QTimer* RefreshTimer;

    // Opens the window for a new transfer of the file `name` (UTF-8).
    void Begin(const std::string& name);
    void Show(const RawSendProgress& p);
    // The transfer has ended: the window closes without asking for a cancel.
    void End();

signals:
    void cancelRequested();
    void refreshDue();

protected:
    void reject() override; // Esc and the window's close button
};

} // namespace trelvo
