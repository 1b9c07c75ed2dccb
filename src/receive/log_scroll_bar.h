#pragma once
// The log view's scroll bar. A scroll bar repaints itself for every change of range or value, and a drawing of the
// log changes both: the range grows by the new lines, and the value follows to the new end. Mostly the handle ends
// where it was, so the repaint changes nothing on screen. This one repaints only when its picture changes, and
// while a drawing is held (HeldScrollBar) it judges that once, by the picture at the end.

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace trelvo {

class LogScrollBar final : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    void hold() { held_ = true; }
    void release() {
        held_ = false;
        if (changed_ && look() != shown_) update();
        changed_ = false;
    }

protected:
    void sliderChange(SliderChange change) override {
        if (change == SliderRangeChange || change == SliderValueChange) {
            if (held_) {
                changed_ = true;
                return;
            }
            if (look() == shown_) return;
        }
        QScrollBar::sliderChange(change);
    }
    void paintEvent(QPaintEvent* event) override {
        shown_ = look();
        QScrollBar::paintEvent(event);
    }

private:
    // What range and value change in the picture: the handle's place and size, and the arrows, drawn disabled at
    // either end.
    struct Look {
        QRect handle;
        bool atMinimum = false, atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                value() == minimum(), value() == maximum()};
    }

    Look shown_{QRect(-1, -1, 0, 0)}; // nothing painted yet
    bool held_ = false, changed_ = false;
};

// Holds the repaints of a LogScrollBar for a scope; any other scroll bar repaints as it always does.
class HeldScrollBar {
public:
    explicit HeldScrollBar(QScrollBar* bar) : bar_(dynamic_cast<LogScrollBar*>(bar)) {
        if (bar_) bar_->hold();
    }
    ~HeldScrollBar() {
        if (bar_) bar_->release();
    }
    HeldScrollBar(const HeldScrollBar&) = delete;
    HeldScrollBar& operator=(const HeldScrollBar&) = delete;

private:
    LogScrollBar* bar_;
};

} // namespace trelvo
