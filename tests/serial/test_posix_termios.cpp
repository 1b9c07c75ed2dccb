#include "serial/line_options.h"
#include "serial/posix_termios.h"
#include "support/line_settings.h"

#include <gtest/gtest.h>

namespace trelvo::posix {
namespace {

// A terminal in its cooked default, with every flag the line settings must clear.
termios Cooked() {
    termios t{};
    t.c_iflag = ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | IXANY | INPCK | BRKINT | PARMRK | IGNPAR;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ECHO | ECHOE | ECHONL | ICANON | ISIG | IEXTEN;
    t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return t;
}

using test::Dcb;

TEST(MakeLineTermios, EveryPossibleCombinationIsRaw) {
    const std::pair<int, tcflag_t> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [bits, size] : sizes)
        for (std::uint8_t stop : {0, 1, 2}) {
            SCOPED_TRACE(std::to_string(bits) + " data bits, stop code " + std::to_string(stop));
            const bool possible = stop == 0 || (stop == 1) == (bits == 5);
            termios t{};
            std::string problem;
            ASSERT_EQ(MakeLineTermios(Cooked(), Dcb(9600, static_cast<std::uint8_t>(bits), stop), t, problem),
                      possible);
            if (!possible) {
                EXPECT_NE(problem.find("стоп-бит"), std::string::npos) << problem; // composed in Russian
                continue;
            }
            EXPECT_EQ(t.c_cflag & CSIZE, size);
            EXPECT_EQ((t.c_cflag & CSTOPB) != 0, stop != 0);
            EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CRTSCTS), 0u);
            EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
            EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | IXANY | INPCK | BRKINT | PARMRK),
                      0u);
            EXPECT_EQ(t.c_oflag & OPOST, 0u);
            EXPECT_EQ(t.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), 0u);
            EXPECT_EQ(t.c_cc[VMIN], 0);
            EXPECT_EQ(t.c_cc[VTIME], 0);
            EXPECT_EQ(cfgetospeed(&t), B9600);
            EXPECT_EQ(cfgetispeed(&t), B9600);
        }
}

TEST(MakeLineTermios, EveryBaudRateEntryHasItsSpeedAndOthersAreRefused) {
    const std::pair<std::uint32_t, speed_t> rates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
        {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B921600
        {460800, B460800}, {921600, B921600},
#endif
    };
    for (const auto& [baud, speed] : rates) {
        termios t{};
        std::string problem;
        ASSERT_TRUE(MakeLineTermios(Cooked(), Dcb(baud, 8, 0), t, problem)) << baud;
        EXPECT_EQ(cfgetospeed(&t), speed);
    }
    for (std::uint32_t baud : {0u, 12345u, 10'000'000u}) {
        termios t{};
        std::string problem;
        EXPECT_FALSE(MakeLineTermios(Cooked(), Dcb(baud, 8, 0), t, problem)) << baud;
        EXPECT_NE(problem.find(std::to_string(baud)), std::string::npos);
        EXPECT_NE(problem.find("не поддерживается"), std::string::npos) << problem;
    }
}

TEST(MakeLineTermios, ParityIsGeneratedAndFlowControlSetAsChosen) {
    const struct {
        LineOptions options;
        tcflag_t cflag; // of PARENB, PARODD, CMSPAR, CRTSCTS
        tcflag_t iflag; // of IXON, IXOFF, INPCK
    } rows[] = {
        {{Parity::None, FlowControl::None}, 0, 0},
        {{Parity::Even, FlowControl::None}, PARENB, 0},
        {{Parity::Odd, FlowControl::Hardware}, PARENB | PARODD | CRTSCTS, 0},
        {{Parity::Mark, FlowControl::Software}, PARENB | PARODD | CMSPAR, IXON | IXOFF},
        {{Parity::Space, FlowControl::None}, PARENB | CMSPAR, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.options.parity));
        PortDcb dcb = Dcb(9600, 8, 0);
        PutLineOptions(dcb, r.options);
        termios t{};
        std::string problem;
        ASSERT_TRUE(MakeLineTermios(Cooked(), dcb, t, problem)) << problem;
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR | CRTSCTS), r.cflag);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | INPCK), r.iflag); // a parity error never drops a byte
    }
}

TEST(SameLineSettings, APseudoTerminalMayReportEightBitsWithoutParity) {
    termios wanted{};
    std::string problem;
    ASSERT_TRUE(MakeLineTermios(Cooked(), Dcb(9600, 7, 0), wanted, problem));
    termios reported = wanted;
    reported.c_cflag = (reported.c_cflag & ~CSIZE) | CS8;
    EXPECT_FALSE(SameLineSettings(reported, wanted, false));
    EXPECT_TRUE(SameLineSettings(reported, wanted, true));
    reported.c_cflag |= CSTOPB; // a stop bit is never excused
    EXPECT_FALSE(SameLineSettings(reported, wanted, true));
    EXPECT_TRUE(SameLineSettings(wanted, wanted, false));
}

} // namespace
} // namespace trelvo::posix
