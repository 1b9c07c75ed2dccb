// Platforms whose port is read through QSerialPort itself.
#include "serial/serial_intake.h"

namespace trelvo {

std::unique_ptr<SerialIntake> OpenSerialIntake(const std::string&, const Clock&) {
    return nullptr;
}

} // namespace trelvo
