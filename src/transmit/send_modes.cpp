#include "transmit/send_modes.h"

#include <algorithm>

namespace trelvo {

namespace {

using Kind = SendAction::Kind;

// The file line at FileLineIndex; nothing when the index stands at or beyond the end. The index moves on only
// once the line has been handed to the port (FileLineHanded).
std::optional<SendAction> NextFileLine(const SendModeState& state, std::size_t lines) {
    if (state.FileLineIndex >= lines) return std::nullopt;
    return SendAction{Kind::FileLine, state.FileLineIndex};
}

} // namespace

ModeControls ChooseSendMode(SendModeState& state, SendMode mode) {
    switch (mode) {
    case SendMode::Manual:
        return {true, true, false};
    case SendMode::AfterAnswer:
        return {!state.HistoryListMode, true, true};
    case SendMode::OnSelection:
        return {true, false, false};
    case SendMode::Period:
        EnablePeriodTimer(state);
        return {!state.HistoryListMode, true, true};
    }
    return {};
}

void EnablePeriodTimer(SendModeState& state) {
    state.PeriodTimerOn = true;
    state.PeriodTicked = true;
}

bool RestartCyclicSending(SendModeState& state, bool cyclic, SendMode mode) {
    if (!cyclic || mode != SendMode::Period || state.PeriodTimerOn) return false;
    EnablePeriodTimer(state);
    return true;
}

std::optional<std::int32_t> ParsePeriod(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    std::int32_t value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    return value;
}

SendAction PeriodTimerTick(SendModeState& state, const ScheduleInputs& in, std::optional<std::int32_t> periodMs,
                           bool portOpen, std::int64_t nowMs) {
    if (!state.PeriodTimerOn) return {};
    state.PeriodTicked = true;
    if (in.mode != SendMode::Period || !periodMs) return {};
    if (nowMs - state.LastPeriodSendMs <= *periodMs || !portOpen || in.sendBusy) return {};
    state.LastPeriodSendMs = nowMs;
    if (!state.FileMode) return {Kind::MainStrCmd};
    if (const auto next = NextFileLine(state, in.lines)) return *next;
    state.FileLineIndex = 0;
    if (in.cyclic) return {}; // one period passes without a send between two passes
    state.PeriodTimerOn = false;
    state.PeriodTicked = false;
    return {Kind::Notice};
}

std::optional<std::int64_t> PeriodTimerWait(const SendModeState& state, SendMode mode,
                                            std::optional<std::int32_t> periodMs, bool portOpen, std::int64_t nowMs) {
    if (!state.PeriodTimerOn || mode != SendMode::Period || !portOpen || !periodMs) return std::nullopt;
    const std::int64_t due = state.LastPeriodSendMs + *periodMs + 1;
    return std::max<std::int64_t>(1, due - nowMs);
}

SendAction CheckSendDataAftAnswer(SendModeState& state, const ScheduleInputs& in, std::uint32_t waiting) {
    if (in.mode != SendMode::AfterAnswer || waiting > 0 || in.sendBusy || state.NoticeOpen) return {};
    if (!state.FileMode) return {Kind::MainStrCmd};
    // An index beyond the end (the list was replaced by a shorter one) neither sends nor rewinds.
    if (state.FileLineIndex == in.lines) {
        state.FileLineIndex = 0;
        if (!in.cyclic) return state.PeriodTicked ? SendAction{} : SendAction{Kind::Notice};
    }
    return NextFileLine(state, in.lines).value_or(SendAction{});
}

SendAction StartSendCommands(SendModeState& state, const ScheduleInputs& in) {
    if (in.mode == SendMode::Manual || in.mode == SendMode::AfterAnswer) {
        if (in.sendBusy) return {};
        if (const auto next = NextFileLine(state, in.lines)) return *next;
        state.FileLineIndex = 0;
        return {Kind::Notice};
    }
    if (in.mode == SendMode::Period) EnablePeriodTimer(state);
    return {};
}

void FileLineHanded(SendModeState& state, const SendAction& action) {
    if (action.kind == Kind::FileLine && state.FileLineIndex == action.line) state.FileLineIndex = action.line + 1;
}

} // namespace trelvo
