#pragma once
// The picture shown when a line is sent while no port is open.

#include <QDialog>

class QLabel;

namespace trelvo {

class TOpenPortError : public QDialog {
    Q_OBJECT
public:
    explicit TOpenPortError(QWidget* parent = nullptr);

    QLabel* Image1;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace trelvo
