#pragma once
// A pair of up/down arrows with a position of their own. A press is reported only when it moves the position,
// so a press at either end does nothing.

#include <QWidget>

class QToolButton;

namespace trelvo {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget* parent = nullptr);

    int position() const { return position_; }
    // Presses an arrow as the user would; returns whether the position moved.
    bool press(bool up);

signals:
    void stepped(bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int minimum_, maximum_, position_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace trelvo
