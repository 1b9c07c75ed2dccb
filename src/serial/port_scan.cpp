#include "serial/port_lister.h"

#include "common/dialogs.h"

#include <algorithm>
#include <string_view>
#include <system_error>

namespace trelvo {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Numbered(const std::string& prefix, int first, int last) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::vector<std::string> LinuxFallbackPortNames() {
    return Numbered("/dev/ttyS", 0, 8);
}

std::vector<std::string> WindowsFallbackPortNames() {
    return Numbered("COM", 1, 9);
}

std::vector<std::string> ScanPtyLinks(const fs::path& devDir, const fs::path& ptsDir) {
    std::vector<std::string> links;
    const fs::path pts = ptsDir.lexically_normal();
    std::error_code ec;
    for (fs::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryEc;
        if (!it->is_symlink(entryEc)) continue;
        fs::path target = fs::read_symlink(it->path(), entryEc);
        if (entryEc) continue;
        if (target.is_relative()) target = devDir / target;
        target = target.lexically_normal();
        if (target.parent_path() != pts || !AllDigits(target.filename().string())) continue;
        if (!fs::exists(target, entryEc)) continue; // left behind by a device that is gone
        links.push_back(it->path().string());
    }
    std::sort(links.begin(), links.end());
    return links;
}

PortListing ScanPorts(PortLister& lister, Dialogs& dialogs, bool startingUp) {
    PortListing listing;
    listing.entries = lister.portNames();
    if (listing.entries.empty()) {
        if (!startingUp) {
            dialogs.message(":-(");
            dialogs.message("Запустите программу от имени администратора или выберите порт вручную");
        }
        listing.entries = lister.fallbackNames();
        listing.firstSelected = false;
    } else {
        listing.firstSelected = true;
        for (const std::string& name : listing.entries)
            listing.descriptions.push_back(lister.description(name));
    }
    listing.descriptions.resize(listing.entries.size());
    return listing;
}

std::string ShortPortName(const std::string& name) {
    constexpr std::string_view dev = "/dev/";
    return name.starts_with(dev) && name.size() > dev.size() ? name.substr(dev.size()) : name;
}

std::string PortListText(const std::string& name, const std::string& description) {
    return description.empty() ? ShortPortName(name) : ShortPortName(name) + "  " + description;
}

std::string PortNameToOpen(const std::string& boxText, const std::vector<std::string>& entries) {
    const auto first = boxText.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::string text = boxText.substr(first, boxText.find_last_not_of(" \t") - first + 1);
    for (const std::string& entry : entries)
        if (text == ShortPortName(entry)) return entry;
    return text;
}

} // namespace trelvo
