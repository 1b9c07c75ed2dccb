// Platforms without a wait for a modem line change: the caller polls.

#include "serial/modem_watch.h"

namespace trelvo {

std::unique_ptr<ModemWatch> ModemWatch::Start(QSerialPort&, std::function<void()>) {
    return nullptr;
}

} // namespace trelvo
