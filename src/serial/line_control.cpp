#include "serial/line_control.h"

#include <algorithm>

namespace trelvo {

int ClampPulseMs(int ms) {
    return std::clamp(ms, kPulseMinMs, kPulseMaxMs);
}

LineControl::~LineControl() {
    // The telling would outlive whoever it calls.
    if (watched_) device_.setControlLinesNotify({});
}

std::optional<std::string> LineControl::setOptions(const LineOptions& options) {
    const bool wasByDriver = rtsByDriver();
    if (auto refused = ChangeLineOptions(port_, device_, options)) return refused;
    const bool rtsReturns = wasByDriver && !rtsByDriver();
    view_.rtsByDriver = rtsByDriver();
    // Without hardware flow control RTS is the user's again, as they last set it.
    if (rtsReturns && available()) device_.setControlLine(kRts, rtsWish_);
    if (available()) readLines();
    return std::nullopt;
}

bool LineControl::follow() {
    const LineControlView before = view_;
    // A port lost and reopened within one tick is a new open as well: the device may be another one.
    if (port_.PortOpen && (!view_.open || followed_ != port_.Opens)) {
        view_ = {};
        followed_ = port_.Opens;
        view_.open = true;
        view_.hasLines = device_.hasControlLines();
        watched_ = false;
        if (view_.hasLines) {
            device_.setControlLine(kDtr, dtrWish_);
            if (!rtsByDriver()) device_.setControlLine(kRts, rtsWish_);
            readLines();
            // After the read: a change since then is told.
            watched_ = changed_ && device_.setControlLinesNotify(changed_);
        }
    } else if (!port_.PortOpen && view_.open) {
        view_ = {};
        watched_ = false; // the close ended the telling
    }
    view_.rtsByDriver = rtsByDriver();
    return view_ != before;
}

bool LineControl::canSet(ControlLine line) const {
    if (!available() || (line != kDtr && line != kRts)) return false;
    return line == kDtr || !rtsByDriver();
}

bool LineControl::canPulse() const {
    return !view_.pulsing && canSet(pulseLine_);
}

bool LineControl::canBreak() const {
    return available() && !view_.breaking;
}

bool LineControl::setLine(ControlLine line, bool on) {
    if (!canSet(line) || !device_.setControlLine(line, on)) return false;
    (line == kDtr ? dtrWish_ : rtsWish_) = on;
    readLines();
    return true;
}

bool LineControl::beginPulse() {
    if (!canPulse() || !device_.setControlLine(pulseLine_, !wish(pulseLine_))) return false;
    pulsed_ = pulseLine_;
    view_.pulsing = true;
    readLines();
    return true;
}

void LineControl::endPulse() {
    if (!view_.pulsing) return;
    view_.pulsing = false;
    // A pulse on RTS that hardware flow control took over meanwhile is the driver's to restore.
    if (canSet(pulsed_)) device_.setControlLine(pulsed_, wish(pulsed_));
    if (available()) readLines();
}

bool LineControl::beginBreak() {
    if (!canBreak() || !device_.setBreak(true)) return false;
    view_.breaking = true;
    return true;
}

void LineControl::endBreak() {
    if (!view_.breaking) return;
    view_.breaking = false;
    if (available()) device_.setBreak(false);
}

bool LineControl::refresh() {
    if (!available()) return false;
    const unsigned before = view_.lines;
    readLines();
    return view_.lines != before;
}

void LineControl::readLines() {
    if (const auto lines = device_.controlLines()) view_.lines = *lines;
}

} // namespace trelvo
