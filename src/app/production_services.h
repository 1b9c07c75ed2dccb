#pragma once
// The platform as the program uses it for real.

#include "common/clock.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"

#include <memory>

namespace trelvo {

class ProductionServices {
public:
    ProductionServices() { serial_.setArrivalClock(&clock_); }
    SerialDevice& serial() { return serial_; }
    PortLister& ports() { return *ports_; }
    Clock& clock() { return clock_; }

private:
    QtSerialDevice serial_;
    std::unique_ptr<PortLister> ports_ = MakeSystemPortLister();
    SystemClock clock_;
};

} // namespace trelvo
