#pragma once
// Waiting for the modem status lines of an open port to change, so that they need no polling. Where the platform
// cannot wait for a change (Windows, ports whose driver refuses the wait), Start() gives nothing and the caller
// polls.

#include <functional>
#include <memory>

class QSerialPort;

namespace trelvo {

class ModemWatch {
public:
    virtual ~ModemWatch() = default; // stops watching; the port must still be open

    // Watches CTS, DSR, DCD and RI of the open port. `changed` runs on the port's thread after a change (changes
    // close together may be told once) and must not end the watch itself. Nothing when the port cannot tell.
    static std::unique_ptr<ModemWatch> Start(QSerialPort& port, std::function<void()> changed);
};

} // namespace trelvo
