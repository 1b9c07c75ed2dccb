#include "serial/port_state.h"

#include "common/clock.h"
#include "common/dialogs.h"

#include <charconv>

namespace trelvo {

namespace {

std::optional<std::uint32_t> ParseNumber(const std::string& text) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<std::uint8_t> StopBitsCode(const std::string& text) {
    if (text == "1") return 0;
    if (text == "1,5") return 1;
    if (text == "2") return 2;
    return std::nullopt;
}

} // namespace

std::optional<PortDcb> PortDcbFromBoxes(const std::string& baudRate, const std::string& dataBits,
                                        const std::string& stopBits, std::string* problem) {
    const auto fail = [problem](const char* text) -> std::optional<PortDcb> {
        if (problem) *problem = text;
        return std::nullopt;
    };
    const auto baud = ParseNumber(baudRate);
    if (!baud || *baud == 0) return fail("Не выбрана скорость (BaudRate).");
    const auto bits = ParseNumber(dataBits);
    if (!bits || *bits > 255) return fail("Не выбрано число бит данных (ComBits).");
    const auto stop = StopBitsCode(stopBits);
    if (!stop) return fail("Не выбрано число стоп-бит (ComStopBits).");

    PortDcb dcb;
    dcb.BaudRate = *baud;
    dcb.ByteSize = static_cast<std::uint8_t>(*bits);
    dcb.Parity = 0;
    dcb.StopBits = *stop;
    return dcb;
}

bool ProbePort(PortState& state, SerialDevice& device) {
    if (state.PortHandle != HandleState::Valid) return false;
    return device.applySettings(state.PortDcb);
}

void RefreshPortStat(PortState& state, SerialDevice& device) {
    if (state.PortHandle != HandleState::Valid) return;
    state.PortStat.cbInQue = device.bytesWaiting();
}

OpenResult OpenPort(PortState& state, const PortSelection& selection, SerialDevice& device, Clock& clock,
                    Dialogs& dialogs) {
    // A box without a usable entry stops the open before anything is touched, and says which box it was.
    std::string problem;
    const auto settings = PortDcbFromBoxes(selection.baudRate, selection.dataBits, selection.stopBits, &problem);
    if (!settings) return {false, OpenFailure::NoSettingChosen, problem};

    const bool noPort = selection.port.empty();
    if (noPort) dialogs.message("Выбери порт!");

    // The previous handle still takes its settings: that port is still open, let it go (no purge).
    if (ProbePort(state, device)) device.close();

    clock.sleepMs(5);

    if (noPort || !device.open(selection.port)) {
        state.PortHandle = HandleState::Invalid;
        return {false, noPort ? OpenFailure::NoPortSelected : OpenFailure::OpenRefused,
                noPort ? std::string() : device.lastErrorText()};
    }
    state.PortHandle = HandleState::Valid;

    device.setQueueSizes(kDriverQueueBytes, kDriverQueueBytes);
    state.PortDcb.BaudRate = settings->BaudRate;
    state.PortDcb.ByteSize = settings->ByteSize;
    state.PortDcb.Parity = 0;
    state.PortDcb.StopBits = settings->StopBits;
    PutLineOptions(state.PortDcb, state.Line);
    state.PortOpen = true;
    if (!device.applySettings(state.PortDcb)) {
        OpenResult result{false, OpenFailure::SettingsRefused, device.lastErrorText()};
        state.PortOpen = false;
        // Left open, the exclusive handle would lock this port until the program ends.
        device.close();
        return result;
    }
    ++state.Opens;
    return {true, OpenFailure::None, {}};
}

std::optional<std::string> ChangeLineOptions(PortState& state, SerialDevice& device, const LineOptions& options) {
    if (!state.PortOpen) {
        state.Line = options;
        return std::nullopt;
    }
    PortDcb wanted = state.PortDcb;
    PutLineOptions(wanted, options);
    if (device.applySettings(wanted)) {
        state.PortDcb = wanted;
        state.Line = options;
        return std::nullopt;
    }
    std::string reason = device.lastErrorText();
    // A driver may have taken part of what it refused.
    device.applySettings(state.PortDcb);
    return reason.empty() ? std::string("Драйвер не принимает эти параметры линии") : reason;
}

void ClosePort(PortState& state, SerialDevice& device) {
    if (!state.PortOpen) return;
    device.purge();
    device.close();
    state.PortOpen = false;
}

} // namespace trelvo
