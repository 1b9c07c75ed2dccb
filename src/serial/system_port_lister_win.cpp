// Ports on Windows: the names the system lists (COM3, ...); reading that list needs no administrator rights.
#include "serial/port_lister.h"

#include <QSerialPortInfo>

#include <map>

namespace trelvo {

namespace {

class WindowsPortLister final : public PortLister {
public:
    std::vector<std::string> portNames() override {
        std::vector<std::string> names;
        descriptions_.clear();
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            names.push_back(info.portName().toStdString());
            descriptions_[names.back()] = info.description().toStdString();
        }
        return names;
    }

    std::string description(const std::string& name) const override {
        const auto it = descriptions_.find(name);
        return it == descriptions_.end() ? std::string() : it->second;
    }

    std::vector<std::string> fallbackNames() const override { return WindowsFallbackPortNames(); }

private:
    std::map<std::string, std::string> descriptions_; // of the last listing
};

} // namespace

std::unique_ptr<PortLister> MakeSystemPortLister(std::filesystem::path, std::filesystem::path) {
    return std::make_unique<WindowsPortLister>();
}

} // namespace trelvo
