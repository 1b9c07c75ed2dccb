#pragma once
#include "serial/port_lister.h"

#include <map>
#include <string>
#include <vector>

namespace trelvo::test {

class FakePortLister final : public PortLister {
public:
    std::vector<std::string> names;
    std::vector<std::string> fallback = LinuxFallbackPortNames();
    int scans = 0;

    std::vector<std::string> portNames() override {
        ++scans;
        return names;
    }
    std::vector<std::string> fallbackNames() const override { return fallback; }
    std::map<std::string, std::string> descriptions;
    std::string description(const std::string& name) const override {
        const auto it = descriptions.find(name);
        return it == descriptions.end() ? std::string() : it->second;
    }
};

} // namespace trelvo::test
