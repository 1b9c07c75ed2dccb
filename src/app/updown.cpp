#include "app/updown.h"

#include <QToolButton>

namespace trelvo {

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(minimum), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { press(true); });
    connect(down_, &QToolButton::clicked, this, [this] { press(false); });
}

bool UpDown::press(bool up) {
    const int next = up ? position_ + 1 : position_ - 1;
    if (next < minimum_ || next > maximum_) return false;
    position_ = next;
    emit stepped(up);
    return true;
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace trelvo
