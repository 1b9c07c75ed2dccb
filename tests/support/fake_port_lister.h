#pragma once
#include "serial/port_lister.h"

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
};

} // namespace trelvo::test
