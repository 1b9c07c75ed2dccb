// Ports on Windows: the names the system lists (COM3, ...); reading that list needs no administrator rights.
#include "serial/port_lister.h"

#include <QSerialPortInfo>

namespace trelvo {

namespace {

class WindowsPortLister final : public PortLister {
public:
    std::vector<std::string> portNames() override {
        std::vector<std::string> names;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            names.push_back(info.portName().toStdString());
        return names;
    }

    std::vector<std::string> fallbackNames() const override { return WindowsFallbackPortNames(); }
};

} // namespace

std::unique_ptr<PortLister> MakeSystemPortLister(std::filesystem::path, std::filesystem::path) {
    return std::make_unique<WindowsPortLister>();
}

} // namespace trelvo
