#include "transmit/send_modes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace trelvo;

namespace {

TEST(SendModes, ModeButtonsEnable) {
    using M = SendMode;
    struct Row {
        M mode;
        bool history;
        ModeControls controls;
    } rows[] = {{M::Manual, true, {true, true, false}},      {M::OnSelection, true, {true, false, false}},
                {M::AfterAnswer, false, {true, true, true}}, {M::AfterAnswer, true, {false, true, true}},
                {M::Period, false, {true, true, true}},      {M::Period, true, {false, true, true}}};
    for (const Row& r : rows) {
        SendModeState s;
        s.HistoryListMode = r.history;
        EXPECT_EQ(ChooseSendMode(s, r.mode), r.controls) << static_cast<int>(r.mode) << " " << r.history;
        EXPECT_EQ(s.PeriodTimerOn, r.mode == M::Period); // other modes leave it as it was
    }
}

// A scenario is a row of steps, each "<step>=<expected action>" or a "?" check of the state:
//   t<ms>  the clock moves on by ms, then a period tick with the port open; x<ms> the same with the port closed;
//   b<ms>  the same while a send is still running
//   a      a packet released with nothing waiting; w with bytes waiting; B while a send is still running
//   s      "Отправить из файла"; S the same, its line refused by the closed port;  o / O the notice opens / closes
//   m<M|A|S|P> a mode button;  c<0|1> `CiklSend` changed;  n<k> the list now has k items
//   f      "Назад": file mode ends
// Actions: "-" nothing, "M" the command line, "1".."9" that file line (handed to the port unless refused), "!" the
// notice "Все команды отправлены".
// Checks: ?i<k> FileLineIndex is k; ?on / ?off the period timer; ?T / ?F PeriodTicked.
struct Scenario {
    const char* name;
    SendMode mode;
    bool file;
    std::size_t lines;
    bool cyclic;
    const char* period;
    const char* steps;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

std::string Show(const SendAction& a) {
    switch (a.kind) {
    case SendAction::Kind::None:
        return "-";
    case SendAction::Kind::MainStrCmd:
        return "M";
    case SendAction::Kind::FileLine:
        return std::to_string(a.line + 1);
    case SendAction::Kind::Notice:
        return "!";
    }
    return "?";
}

SendMode ModeOf(char c) {
    return c == 'A'   ? SendMode::AfterAnswer
           : c == 'S' ? SendMode::OnSelection
           : c == 'P' ? SendMode::Period
                      : SendMode::Manual;
}

class SendModeScenario : public testing::TestWithParam<Scenario> {};

TEST_P(SendModeScenario, Steps) {
    const Scenario& sc = GetParam();
    SendModeState s;
    s.FileMode = sc.file;
    ScheduleInputs in{sc.mode, sc.cyclic, sc.lines, false};
    ChooseSendMode(s, sc.mode);
    std::int64_t now = 1'000'000; // the monotonic clock starts far above any period
    const auto period = ParsePeriod(sc.period);

    std::istringstream steps(sc.steps);
    std::string step;
    while (steps >> step) {
        const std::string arg = step.substr(1, step.find('=') - 1);
        const std::string expected = step.find('=') == std::string::npos ? "" : step.substr(step.find('=') + 1);
        SendAction got;
        in.sendBusy = step[0] == 'b' || step[0] == 'B';
        switch (step[0]) {
        case 't':
        case 'x':
        case 'b':
            now += std::stoll(arg);
            got = PeriodTimerTick(s, in, period, step[0] != 'x', now);
            break;
        case 'a':
        case 'w':
        case 'B':
            got = CheckSendDataAftAnswer(s, in, step[0] == 'w' ? 5 : 0);
            break;
        case 's':
        case 'S':
            got = StartSendCommands(s, in);
            break;
        case 'o':
        case 'O':
            s.NoticeOpen = step[0] == 'o';
            break;
        case 'm':
            in.mode = ModeOf(arg[0]);
            ChooseSendMode(s, in.mode);
            break;
        case 'c':
            in.cyclic = arg == "1";
            RestartCyclicSending(s, in.cyclic, in.mode);
            break;
        case 'n':
            in.lines = std::stoul(arg);
            break;
        case 'f':
            s.FileMode = false;
            break;
        case '?':
            if (arg[0] == 'i') {
                EXPECT_EQ(s.FileLineIndex, std::stoul(arg.substr(1))) << step;
            } else if (arg == "on" || arg == "off") {
                EXPECT_EQ(s.PeriodTimerOn, arg == "on") << step;
            } else {
                EXPECT_EQ(s.PeriodTicked, arg == "T") << step;
            }
            continue;
        default:
            FAIL() << "unknown step " << step;
        }
        if (step[0] != 'S') FileLineHanded(s, got);
        if (!expected.empty()) {
            EXPECT_EQ(Show(got), expected) << step << " in " << sc.steps;
        }
    }
}

constexpr SendMode kP = SendMode::Period, kA = SendMode::AfterAnswer, kM = SendMode::Manual;

INSTANTIATE_TEST_SUITE_P(
    Rows, SendModeScenario,
    testing::Values(
        // Periodic: strictly more than P ms, measured from the last periodic send; P read at every tick.
        Scenario{"P1000", kP, false, 0, false, "1000", "t0=M t1000=- t1=M t999=- t2=M"},
        Scenario{"P0", kP, false, 0, false, "0", "t0=M t0=- t1=M t1=M"},
        Scenario{"EmptyPeriod", kP, false, 0, false, "", "t0=- t5000=-"},
        Scenario{"PastedNonDigits", kP, false, 0, false, "1x", "t0=- t5000=-"},
        Scenario{"PortClosedMovesNothing", kP, false, 0, false, "100", "t0=M x101=- x500=- t0=M t100=- t1=M"},
        Scenario{"IdleInAnotherModeTicked", kP, false, 0, false, "100", "mA ?on ?T t500=- mP t0=M"},
        Scenario{"CyclicFile", kP, true, 3, true, "100", "t0=1 t101=2 t101=3 t101=- ?i0 t101=1 t101=2"},
        Scenario{"FileOnceStopsAndRestartsWithCiklSend", kP, true, 3, false, "100",
                 "t0=1 t101=2 t101=3 t101=! ?off ?F ?i0 t500=- c1 ?on ?T t0=1 t101=2"},
        Scenario{"FileOnceRestartedByStartButton", kP, true, 1, false, "100", "t0=1 t101=! ?off s=- ?on t101=1"},
        Scenario{"PeriodicIndexBeyondTheEnd", kP, true, 3, false, "100", "t0=1 t101=2 n1 t101=! ?i0"},
        Scenario{"LeavingFileModeSendsTheCommandLine", kP, true, 3, false, "100", "t0=1 f t101=M ?i1"},
        Scenario{"BusySendLosesNoLine", kP, true, 2, false, "100", "t0=1 b101=- ?i1 t0=2"},
        // By hand: one line per press; the press after the last shows the notice and rewinds.
        Scenario{"ByHand", kM, true, 2, false, "1000", "s=1 s=2 s=! ?i0 s=1"},
        Scenario{"EmptyFile", kM, true, 0, false, "1000", "s=! ?i0"},
        Scenario{"RefusedLineStaysNext", kM, true, 2, false, "1000", "S=1 ?i0 s=1 ?i1 s=2"},
        Scenario{"ModeChangeKeepsTheIndex", kM, true, 5, false, "1000", "s=1 s=2 s=3 mP ?i3 t0=4"},
        // After each answer: any packet with nothing waiting releases one send.
        Scenario{"AfterAnswerCommandLine", kA, false, 0, false, "1000", "a=M a=M w=- a=M"},
        Scenario{"AnswerInAnotherMode", kM, false, 0, false, "1000", "a=- mS a=-"},
        Scenario{"AfterAnswerFileOnce", kA, true, 2, false, "1000", "a=1 w=- a=2 a=! ?i0 a=1"},
        Scenario{"AfterAnswerFileCyclic", kA, true, 2, true, "1000", "a=1 a=2 a=1 a=2"},
        Scenario{"PeriodTickedSuppressesTheNotice", kP, true, 2, false, "1000", "mA ?T a=1 a=2 a=- ?i0 a=1"},
        Scenario{"AfterAnswerIndexBeyondTheEnd", kA, true, 3, false, "1000", "a=1 a=2 n1 a=- ?i2 a=- s=! ?i0"},
        Scenario{"AfterAnswerWhileBusy", kA, true, 2, false, "1000", "B=- ?i0 a=1"},
        Scenario{"NothingReleasedWhileTheNoticeIsOpen", kA, true, 1, false, "1000", "a=1 a=! o a=- a=- ?i0 O a=1"}),
    [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

} // namespace
