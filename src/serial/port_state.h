#pragma once
// The one port of the program: its state, and opening and closing it from the texts of the settings boxes.

#include "serial/line_options.h"
#include "serial/serial_device.h"

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo {

class Clock;
class Dialogs;

// What the port handle holds: nothing yet, the result of a failed open, or a device that was opened.
// A closed port keeps Valid (closing does not reset the handle); the device itself then refuses every call.
enum class HandleState { Null, Invalid, Valid };

// The status record; cbInQue is how many received bytes can be read at once.
struct PortStatus {
    std::uint32_t cbInQue = 0;
};

struct PortState {
    HandleState PortHandle = HandleState::Null;
    bool PortOpen = false; // open and its line settings accepted
    ::trelvo::PortDcb PortDcb;
    PortStatus PortStat;
    LineOptions Line;        // parity and flow control as the user chose them, for every open
    std::uint32_t Opens = 0; // successful opens so far: tells a reopen from a port that stayed open
};

// The texts of the selected entries of ComPort, BaudRate, ComBits and ComStopBits; empty = nothing selected.
struct PortSelection {
    std::string port; // UTF-8, exactly as the port list shows it
    std::string baudRate;
    std::string dataBits;
    std::string stopBits;
};

enum class OpenFailure {
    None,
    NoPortSelected,  // "Выбери порт!" was shown
    NoSettingChosen, // a settings box had no usable entry; nothing was opened
    OpenRefused,     // the device did not open
    SettingsRefused, // the device opened but refused the line settings; it was closed again
};

struct OpenResult {
    bool ok = false;
    OpenFailure failure = OpenFailure::None;
    std::string reason; // UTF-8: the platform's text, or which box had no entry; may be empty
};

inline constexpr std::uint32_t kDriverQueueBytes = 2048;

// Line settings from the texts of BaudRate, ComBits and ComStopBits ("1", "1,5", "2" give stop-bit codes 0, 1, 2).
// Only BaudRate, ByteSize, Parity (0) and StopBits are set. Nothing when a text is empty or not an entry of its box;
// `problem` then names the box (UTF-8).
std::optional<PortDcb> PortDcbFromBoxes(const std::string& baudRate, const std::string& dataBits,
                                        const std::string& stopBits, std::string* problem = nullptr);

// The liveness probe: applies PortDcb to PortHandle as they stand. False when no device was ever opened, after a
// failed open, after a close, and when the device has gone away.
bool ProbePort(PortState& state, SerialDevice& device);

// Refreshes PortStat (clears the device's error state). Leaves it alone when no device was opened.
void RefreshPortStat(PortState& state, SerialDevice& device);

// Opens the selected port and applies the selected line settings: probe and release the previous handle, wait 5 ms,
// open, queues 2048/2048, fill PortDcb (with the parity and flow control of Line), PortOpen, apply. Shows
// "Выбери порт!" when no port is selected.
OpenResult OpenPort(PortState& state, const PortSelection& selection, SerialDevice& device, Clock& clock,
                    Dialogs& dialogs);

// Parity and flow control chosen anew: kept in Line for every later open and applied at once to an open port. When
// the open port refuses them, its previous settings are applied again, PortDcb and Line keep theirs and the port's
// reason is returned. Nothing is returned on success.
std::optional<std::string> ChangeLineOptions(PortState& state, SerialDevice& device, const LineOptions& options);

// Purges and releases the port when PortOpen; does nothing otherwise.
void ClosePort(PortState& state, SerialDevice& device);

} // namespace trelvo
