// Ports on Linux and other Unix systems: the devices Qt knows of by their device path, then the virtual ports.
#include "serial/port_lister.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <map>

namespace trelvo {

namespace {

class UnixPortLister final : public PortLister {
public:
    UnixPortLister(std::filesystem::path devDir, std::filesystem::path ptsDir)
        : devDir_(std::move(devDir)), ptsDir_(std::move(ptsDir)) {}

    std::vector<std::string> portNames() override {
        std::vector<std::string> names;
        descriptions_.clear();
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            names.push_back(info.systemLocation().toStdString());
            descriptions_[names.back()] = info.description().toStdString();
        }
        for (std::string& link : ScanPtyLinks(devDir_, ptsDir_))
            if (std::find(names.begin(), names.end(), link) == names.end()) names.push_back(std::move(link));
        return names;
    }

    std::vector<std::string> fallbackNames() const override { return LinuxFallbackPortNames(); }

    std::string description(const std::string& name) const override {
        const auto it = descriptions_.find(name);
        return it == descriptions_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> descriptions_; // of the last listing
    std::filesystem::path devDir_;
    std::filesystem::path ptsDir_;
};

} // namespace

std::unique_ptr<PortLister> MakeSystemPortLister(std::filesystem::path devDir, std::filesystem::path ptsDir) {
    return std::make_unique<UnixPortLister>(std::move(devDir), std::move(ptsDir));
}

} // namespace trelvo
