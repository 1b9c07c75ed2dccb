#pragma once
// The serial devices present, and the scan that fills the port box from them.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace trelvo {

class Dialogs;

class PortLister {
public:
    virtual ~PortLister() = default;
    // Names of the serial devices present, in the platform's order, each one a name the device can be opened by.
    // Empty when there are none or the list cannot be read.
    virtual std::vector<std::string> portNames() = 0;
    // The names offered for choosing by hand when nothing is listed.
    virtual std::vector<std::string> fallbackNames() const = 0;
    // What the platform says of a device that portNames() listed (for example "FT232R USB UART"); may be empty.
    virtual std::string description(const std::string& /*name*/) const { return {}; }
};

// The platform's lister. devDir and ptsDir matter only where ports are device paths (Linux): virtual ports are the
// symbolic links directly in devDir that point to a pseudo-terminal in ptsDir.
std::unique_ptr<PortLister> MakeSystemPortLister(std::filesystem::path devDir = "/dev",
                                                 std::filesystem::path ptsDir = "/dev/pts");

// "/dev/ttyS0" .. "/dev/ttyS8": the Linux names of COM1 .. COM9.
std::vector<std::string> LinuxFallbackPortNames();
// "COM1" .. "COM9".
std::vector<std::string> WindowsFallbackPortNames();

// Symbolic links directly in devDir whose own target is a pseudo-terminal (ptsDir/N, present), sorted by name.
// That is where socat's pty,link= and the virtual device put virtual ports. Links to other links (such as
// /dev/stdin) do not count, so a terminal the program was started from is never listed.
std::vector<std::string> ScanPtyLinks(const std::filesystem::path& devDir, const std::filesystem::path& ptsDir);

struct PortListing {
    std::vector<std::string> entries;      // the new entries of ComPort, in order: the names they are opened by
    std::vector<std::string> descriptions; // one per entry, empty where the platform says nothing
    bool firstSelected = false;            // select entry 0; otherwise nothing is selected and the box text is empty
};

// Lists the ports for ComPort. When nothing is found: outside start-up the two messages ":-(" and
// "Запустите программу от имени администратора или выберите порт вручную", then the fallback names, nothing selected.
PortListing ScanPorts(PortLister& lister, Dialogs& dialogs, bool startingUp);

// The name as the port box shows it: without a leading "/dev/", so that "/dev/ttyUSB0" fits as "ttyUSB0".
std::string ShortPortName(const std::string& name);

// An entry of the port box's drop-down list: the short name, and the description after two spaces.
std::string PortListText(const std::string& name, const std::string& description);

// The port to open for the text in the port box. The shown name of an entry opens that entry's full name; any
// other text is a name the user typed and opens as typed (blanks around it dropped). Empty: no port chosen.
std::string PortNameToOpen(const std::string& boxText, const std::vector<std::string>& entries);

} // namespace trelvo
