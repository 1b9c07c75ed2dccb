#include "transmit/raw_file_send.h"

#include "support/fake_serial_device.h"
#include "support/temp_dir_test.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace trelvo;

namespace {

constexpr std::size_t kChunk = RawFileSend::kChunkBytes;

// Every byte value, over and over: `size` bytes.
std::string AllByteValues(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(i * 7 % 256);
    return s;
}

class RawFileSendTest : public test::TempDirTest {
public:
    RawFileSendTest() {
        port.open("COM3");
        port.holdWrites = true; // the line takes the bytes only when the test drains them
        port.log.clear();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string File(const std::string& name, const std::string& bytes) {
        Write(Path(name), bytes);
        return Path(name);
    }
    // The line takes `n` bytes and the port reports them to the transfer, as the window routes the report.
    RawSendStep Drain(std::size_t n, std::int64_t nowMs = 0) {
        RawSendStep step;
        port.writtenListener = [&](std::uint64_t c) { step = send.written(c, nowMs); };
        port.drain(n);
        port.writtenListener = nullptr;
        return step;
    }

    test::FakeSerialDevice port;
    TransferCounters counters;
    RawFileSend send{port, counters};
};

TEST_F(RawFileSendTest, GoesOutInOrderInBoundedChunksAndCountsWhatThePortTakes) {
    const std::string bytes = AllByteValues(5 * kChunk + 123);
    EXPECT_EQ(send.start(File("fw.bin", bytes), 0).end, RawSendEnd::Running);
    EXPECT_EQ(port.writes.size(), 2u) << "two chunks wait in the port, no more";
    EXPECT_EQ(counters.TxBytes, 0);
    EXPECT_EQ(Drain(1000).end, RawSendEnd::Running);
    EXPECT_EQ(counters.TxBytes, 1000);
    EXPECT_EQ(port.writes.size(), 2u) << "a chunk goes only when it fits";
    Drain(kChunk - 1000);
    EXPECT_EQ(port.writes.size(), 3u);
    while (port.outgoing.size() > 1)
        ASSERT_EQ(Drain(port.outgoing.size() - 1).end, RawSendEnd::Running);
    EXPECT_EQ(send.progress(0).sent, bytes.size() - 1);
    const RawSendStep last = Drain(1);
    EXPECT_EQ(last.end, RawSendEnd::Sent);
    EXPECT_EQ(last.entry, ToCp1251(QString::fromUtf8("Файл fw.bin (327803 байт) отправлен")));
    EXPECT_TRUE(last.message.empty());
    EXPECT_EQ(port.written, bytes);
    for (const std::string& w : port.writes)
        EXPECT_LE(w.size(), kChunk);
    EXPECT_EQ(counters.TxBytes, static_cast<std::int64_t>(bytes.size()));
    EXPECT_FALSE(send.running());
}

struct EndRow {
    const char* name;
    std::function<RawSendStep(RawFileSendTest&, test::FakeSerialDevice&, RawFileSend&)> act;
    RawSendEnd end;
    const char* entry;   // UTF-8
    const char* message; // UTF-8
    std::size_t written;
};

class RawFileSendEnds : public RawFileSendTest, public testing::WithParamInterface<EndRow> {};

TEST_P(RawFileSendEnds, EndStates) {
    const EndRow& r = GetParam();
    const RawSendStep step = r.act(*this, port, send);
    EXPECT_EQ(step.end, r.end);
    EXPECT_EQ(step.entry, ToCp1251(QString::fromUtf8(r.entry)));
    EXPECT_EQ(step.message, r.message);
    EXPECT_EQ(port.written.size(), r.written);
    EXPECT_EQ(counters.TxBytes, static_cast<std::int64_t>(r.written));
    EXPECT_FALSE(send.running());
    // Nothing more is handed over once the transfer has ended.
    const std::size_t writes = port.writes.size();
    EXPECT_EQ(send.written(10, 0).end, RawSendEnd::Running);
    EXPECT_EQ(port.writes.size(), writes);
}

const std::string kBig = AllByteValues(3 * kChunk);

INSTANTIATE_TEST_SUITE_P(
    Rows, RawFileSendEnds,
    testing::Values(
        EndRow{"Cancelled",
               [](RawFileSendTest& t, test::FakeSerialDevice& port, RawFileSend& s) {
                   s.start(t.File("a.bin", kBig), 0);
                   t.Drain(5000);
                   const RawSendStep step = s.cancel();
                   EXPECT_TRUE(port.outgoing.empty()) << "what waited in the port is thrown away";
                   EXPECT_EQ(port.log.back(), "purge output");
                   return step;
               },
               RawSendEnd::Cancelled, "Отправка файла a.bin отменена после 5000 из 196608 байт", "", 5000},
        EndRow{"PortClosed",
               [](RawFileSendTest& t, test::FakeSerialDevice& port, RawFileSend& s) {
                   s.start(t.File("a.bin", kBig), 0);
                   t.Drain(7000);
                   EXPECT_EQ(s.checkPort(true).end, RawSendEnd::Running);
                   port.close();
                   return s.checkPort(false);
               },
               RawSendEnd::PortClosed, "Отправка файла a.bin прервана после 7000 из 196608 байт",
               "Отправка файла a.bin прервана: порт закрыт. Отправлено 7000 из 196608 байт.", 7000},
        EndRow{"PortReopenedMeanwhile",
               [](RawFileSendTest& t, test::FakeSerialDevice& port, RawFileSend& s) {
                   s.start(t.File("a.bin", kBig), 0);
                   port.close();
                   port.open("COM3"); // the bytes that waited are gone, and no report will come
                   return s.checkPort(true);
               },
               RawSendEnd::PortClosed, "Отправка файла a.bin прервана после 0 из 196608 байт",
               "Отправка файла a.bin прервана: порт закрыт. Отправлено 0 из 196608 байт.", 0},
        EndRow{"DeviceVanishedMidway",
               [](RawFileSendTest& t, test::FakeSerialDevice& port, RawFileSend& s) {
                   s.start(t.File("a.bin", kBig), 0);
                   port.gone = true;
                   return t.Drain(kChunk); // the next chunk finds the port refusing
               },
               RawSendEnd::PortClosed, "Отправка файла a.bin прервана после 65536 из 196608 байт",
               "Отправка файла a.bin прервана: порт не принял данные (Input/output error). Отправлено 65536 из "
               "196608 байт.",
               kChunk},
        EndRow{"EmptyFileAtOnce",
               [](RawFileSendTest& t, test::FakeSerialDevice&, RawFileSend& s) {
                   return s.start(t.File("empty.bin", ""), 0);
               },
               RawSendEnd::Sent, "Файл empty.bin (0 байт) отправлен", "", 0},
        EndRow{"Missing",
               [](RawFileSendTest& t, test::FakeSerialDevice&, RawFileSend& s) {
                   return s.start(t.Path("missing.bin"), 0);
               },
               RawSendEnd::NotOpened, "", "Не удалось открыть файл missing.bin: No such file or directory", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RawFileSendTest, ADirectoryIsRefusedWithItsReason) {
    std::filesystem::create_directory(dir_ / "fw");
    const RawSendStep step = send.start(Path("fw"), 0);
    EXPECT_EQ(step.end, RawSendEnd::NotOpened);
    EXPECT_EQ(step.message, "Не удалось открыть файл fw: это каталог, а не файл");
}

TEST_F(RawFileSendTest, RateAndTimeLeftFollowTheLastSeconds) {
    send.start(File("a.bin", std::string(100'000, 'x')), 0);
    EXPECT_FALSE(send.progress(400).bytesPerSecond) << "too early to tell";
    Drain(10'000, 1000);
    RawSendProgress p = send.progress(1000);
    EXPECT_DOUBLE_EQ(*p.bytesPerSecond, 10'000);
    EXPECT_EQ(*p.secondsLeft, 9);
    Drain(10'001, 2000);
    EXPECT_EQ(*send.progress(2000).secondsLeft, 8); // 79999 bytes at 10000.5 B/s: 8 s, rounded up
    // The line stalls: the rate falls to zero as the measuring window moves past the last bytes.
    p = send.progress(4000);
    EXPECT_DOUBLE_EQ(*p.bytesPerSecond, 0);
    EXPECT_FALSE(p.secondsLeft);
}

struct TextRow {
    RawSendProgress p;
    RawSendTexts texts;
};

TEST(RawSendTexts, Table) {
    const TextRow rows[] = {
        {{0, 0, {}, {}}, {"0 байт из 0 байт (100 %)", "—", "—"}},
        {{512, 2048, 100.0, 15}, {"512 байт из 2,0 КБ (25 %)", "100 Б/с", "0:15"}},
        {{1572864, 104857600, 11520.0, 8970}, {"1,5 МБ из 100,0 МБ (1 %)", "11,2 КБ/с", "2:29:30"}},
        {{3ull << 30, 5ull << 30, 2.5 * 1048576, 3600}, {"3,0 ГБ из 5,0 ГБ (60 %)", "2,5 МБ/с", "1:00:00"}},
    };
    for (const TextRow& r : rows)
        EXPECT_EQ(DescribeProgress(r.p), r.texts) << r.texts.amount;
}

} // namespace
