#pragma once
// The send modes: sending by hand, after every answer, on selection, or every P milliseconds, with the command line
// or through the lines of a loaded command file, once or cyclically. The window reads its controls into
// `ScheduleInputs`, calls one of these steps and carries out the `SendAction` it returns; every send goes through
// `SendPortData`.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trelvo {

// The four radio buttons "Ручная", "После ответа", "При выборе", "Период, мс:"; exactly one is chosen.
enum class SendMode { Manual, AfterAnswer, OnSelection, Period };

inline constexpr const char* kAllCommandsSent = "Все команды отправлены";
inline constexpr const char* kBigCommandFile = "Большой файл";

struct SendModeState {
    bool FileMode = false;        // a command file is loaded: `OldCmdList` holds its lines
    bool HistoryListMode = false; // `OldCmdList` is to show the sent-command history
    // Set by every tick of the running period timer, also while it idles in another mode; cleared with the notice
    // that ends a non-cyclic periodic pass. The after-answer path shows no notice while it is set.
    bool PeriodTicked = false;
    std::uint32_t FileLineIndex = 0; // the next file line to send, 0-based
    // Monotonic reading of the last periodic send. The clock starts far above any period, so 0 means "never" and
    // the first tick sends at once.
    std::int64_t LastPeriodSendMs = 0;
    bool PeriodTimerOn = false; // `TimerPeriod` enabled
    // "Все команды отправлены" is on screen. One at most: packets that arrive meanwhile release nothing.
    bool NoticeOpen = false;
};

// What the mode buttons enable.
struct ModeControls {
    bool oldCmdList = true;
    bool sendStart = true;
    bool ciklSend = false;

    bool operator==(const ModeControls&) const = default;
};

// The click on a mode button: the enabled states of `OldCmdList`, `SendStart` and `CiklSend`; "Период, мс:"
// also switches the period timer on.
ModeControls ChooseSendMode(SendModeState& state, SendMode mode);

// Switches the period timer on. A running timer sets `PeriodTicked` at every tick, even idle in another mode, and
// it can only be switched on in periodic mode, so the flag is set here at once: the timer then need not wake the
// process a thousand times a second only to set it again (only its first millisecond differs).
void EnablePeriodTimer(SendModeState& state);

// With `CiklSend` ticked and "Период, мс:" chosen the period timer runs, so a cyclic pass restarts after a timer
// that stopped itself. Returns true when this switched the timer on.
bool RestartCyclicSending(SendModeState& state, bool cyclic, SendMode mode);

// The period in `PeriodTX`: 0 to 99999. Empty, or anything but digits (only pasting gets that there), is no
// period: periodic sending pauses until the field holds a number again.
std::optional<std::int32_t> ParsePeriod(std::string_view text);

// What a step asks the window to do. At most one of these per step.
struct SendAction {
    enum class Kind {
        None,
        MainStrCmd, // send the text of `MainStrCmd`
        FileLine,   // send the item `line` of `OldCmdList`, then `FileLineHanded` if the port took it
        Notice,     // show "Все команды отправлены"
    };
    Kind kind = Kind::None;
    std::uint32_t line = 0;

    bool operator==(const SendAction&) const = default;
};

// The controls the steps read, at the moment of the step.
struct ScheduleInputs {
    SendMode mode = SendMode::Manual;
    bool cyclic = false;   // `CiklSend` ticked
    std::size_t lines = 0; // items in `OldCmdList`
    // A send asked for now would be dropped (`SendBusy`, or the port still writing with a send already held). A
    // scheduled step then does nothing and moves nothing, so no file line is lost; the period stays due.
    bool sendBusy = false;
};

// One tick of the period timer. A period is due when strictly more than P ms have passed since the last periodic
// send, on the monotonic clock: no midnight or clock-step case, and a late tick delays this send and the following
// ones (there is no catching up). While the port is closed nothing is sent and nothing moves.
SendAction PeriodTimerTick(SendModeState& state, const ScheduleInputs& in, std::optional<std::int32_t> periodMs,
                           bool portOpen, std::int64_t nowMs);

// How long the period timer may sleep before its next tick can do anything; nothing when no tick can do anything
// until one of its inputs changes (timer off, another mode, port closed, no period). The window re-arms the timer
// whenever one of these inputs changes, so sleeping changes nothing that the ticks would do.
std::optional<std::int64_t> PeriodTimerWait(const SendModeState& state, SendMode mode,
                                            std::optional<std::int32_t> periodMs, bool portOpen, std::int64_t nowMs);

// A rendered packet arrived with `waiting` bytes still in the port: in after-answer mode it releases the next send,
// unless the notice is open.
SendAction CheckSendDataAftAnswer(SendModeState& state, const ScheduleInputs& in, std::uint32_t waiting);

// "Отправить из файла", and a connect in file mode: the next file line by hand or after answers, the period timer
// in periodic mode.
SendAction StartSendCommands(SendModeState& state, const ScheduleInputs& in);

// The file line of `action` was handed to the port (sent, or held until the port has written earlier bytes): the
// next step takes the line after it. A line refused (port closed, send dropped) stays next.
void FileLineHanded(SendModeState& state, const SendAction& action);

} // namespace trelvo
