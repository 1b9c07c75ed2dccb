// Receiving through a real pseudo-terminal: the main window on the production port and the system clock, with its
// timers running, and the virtual device on the other side. What the device sends becomes the entries the framing
// makes; a flood stays within RxBuf while the window goes on handling events; nothing the framing accepts is lost.

#include "app/appearance.h"
#include "app/form1.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"

#include "support/recording_dialogs.h"
#include "support/sound_library.h"
#include "support/virtual_device_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

using namespace trelvo;
using namespace trelvo::test;

namespace {

// 64-byte text lines, numbered so that a lost or repeated piece shows.
std::string NumberedLines(int count) {
    std::string text;
    char line[80];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "%06d 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", i);
        text.append(line, 62);
        text += "\r\n";
    }
    return text;
}

// The bytes of HEX-mode log lines ("41 42\r\n" per entry); empty when a line is not well-formed.
QByteArray Unhex(const QByteArray& file, int* entries) {
    QByteArray bytes;
    *entries = 0;
    for (const QByteArray& line : file.split('\n')) {
        if (line.isEmpty()) continue;
        if (!line.endsWith('\r')) return {};
        const QByteArray hex = line.chopped(1);
        if (hex.size() % 3 != 2) return {};
        bytes += QByteArray::fromHex(hex);
        ++*entries;
    }
    return bytes;
}

class Rig {
public:
    bool start() { return vdev.start() && startOn(vdev.directory(), vdev.link()); }
    // On the port behind `link`, a link in `dir` to a pseudo-terminal.
    bool startOn(const std::string& dir, const std::string& link) {
        if (!cwd_.isValid()) return false;
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(cwd_.path()); // the history and log files go here
        test::WriteSoundLibrary(cwd_.filePath(QStringLiteral("CmdConfig")));
        lister_ = MakeSystemPortLister(dir, "/dev/pts");
        serial_.setArrivalClock(&clock_);
        form = std::make_unique<TForm1>(Services{serial_, *lister_, clock_, dialogs});
        QObject::connect(form->RxTimer, &QTimer::timeout, form.get(), [this] {
            maxRxLen = std::max(maxRxLen, form->st.receive.RxLen);
            ++rxTicks;
        });
        const int at = form->ComPort->findText(QString::fromStdString(link));
        if (at < 0) return false;
        form->ComPort->setCurrentIndex(at);
        form->BTConnect->click();
        return form->st.port.PortOpen;
    }
    ~Rig() {
        form.reset();
        if (!oldCwd_.isEmpty()) QDir::setCurrent(oldCwd_);
    }

    void setTimeOut(int ms) {
        while (form->st.receive.RxTimeOutMs < ms)
            form->TimeOutRxClick(true);
        while (form->st.receive.RxTimeOutMs > ms)
            form->TimeOutRxClick(false);
    }
    // Until `count` packets more than now have been rendered and drawn.
    bool waitForPackets(std::int64_t count, int timeoutMs = 3000) {
        const std::int64_t until = form->st.receive.RenderedPackets + count;
        return RunUntil([&] { return form->st.receive.RenderedPackets >= until; }, timeoutMs) && drawn();
    }
    // Until nothing has come in for `quietMs` and the view has drawn it all.
    bool drain(std::int64_t expectedBytes, int timeoutMs) {
        return RunUntil([&] { return form->st.counters.RxBytes >= expectedBytes && form->st.receive.RxLen == 0; },
                        timeoutMs) &&
               drawn();
    }
    bool drawn() {
        form->FlushLogView(); // what the next housekeeping tick would draw
        return true;
    }
    QString shown() const { return form->MainWindow->toPlainText(); }
    QString logPath() const {
        const QStringList logs = QDir(cwd_.path()).entryList({QStringLiteral("LOG_*.txt")});
        return logs.size() == 1 ? cwd_.filePath(logs.front()) : QString();
    }

    LinkedVirtualDevice vdev;
    RecordingDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::uint32_t maxRxLen = 0;
    long rxTicks = 0;

private:
    QTemporaryDir cwd_;
    QString oldCwd_;
    QtSerialDevice serial_;
    std::unique_ptr<PortLister> lister_;
    SystemClock clock_;
};

// A rig connected to the device, or the test skipped where there are no pseudo-terminals.
#define START_RIG(rig)                                                                                                 \
    Rig rig;                                                                                                           \
    if (!rig.start()) {                                                                                                \
        if (!rig.vdev->present()) QSKIP("no pseudo-terminal here");                                                    \
        QFAIL(rig.dialogs.messages.empty() ? "the port did not open" : rig.dialogs.messages.back().c_str());           \
    }

} // namespace

class TestReceiveE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ApplyApplicationLook(*qApp); }

    void answersArriveAsEntries_data() {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII line") << false << QByteArray("OK\r\n") << QStringLiteral("OK");
        QTest::newRow("ASCII two lines, NUL") << false << QByteArray("A\rB\0C\r\n", 7) << QStringLiteral("A\nB<NULL>C");
        QTest::newRow("ASCII CP1251") << false << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\r")
                                      << QStringLiteral(u"\u041f\u0440\u0438\u0432\u0435\u0442");
        QTest::newRow("HEX") << true << QByteArray("\x00\x01\x0D\xFF", 4) << QStringLiteral("00 01 0D FF");
    }
    void answersArriveAsEntries() {
        QFETCH(bool, hex);
        QFETCH(QByteArray, answer);
        QFETCH(QString, shown);
        START_RIG(rig);
        rig.setTimeOut(20); // an answer that crosses two reads stays one entry
        (hex ? rig.form->RBHEX : rig.form->RBASCII)->click();
        rig.vdev->send(answer.toStdString());
        QVERIFY(rig.waitForPackets(1));
        QCOMPARE(rig.shown(), shown);
        QCOMPARE(rig.form->st.counters.RxBytes, static_cast<std::int64_t>(answer.size()));
    }

    // Bytes closer together than the time-out make one packet; a pause longer than it ends the packet.
    void theTimeOutFramesWhatTheDeviceSends_data() {
        QTest::addColumn<int>("timeOutMs");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pause within a 300 ms time-out") << 300 << 20 << QStringLiteral("ABCD");
        QTest::newRow("pause of 150 ms, time-out 0") << 0 << 150 << QStringLiteral("AB\nCD");
        QTest::newRow("pause of 150 ms, time-out 10") << 10 << 150 << QStringLiteral("AB\nCD");
    }
    void theTimeOutFramesWhatTheDeviceSends() {
        QFETCH(int, timeOutMs);
        QFETCH(int, pauseMs);
        QFETCH(QString, shown);
        START_RIG(rig);
        rig.setTimeOut(timeOutMs);
        rig.vdev->send("AB");
        QTimer::singleShot(pauseMs, [&] { rig.vdev->send("CD"); });
        QVERIFY(RunUntil([&] { return rig.form->st.counters.RxBytes == 4 && rig.form->st.receive.RxLen == 0; }));
        rig.drawn();
        QCOMPARE(rig.shown(), shown);
    }

    // The receive tick runs only while there is work: it stops once a packet is placed and nothing waits, and the
    // port's own notification starts it again for the next bytes, which are framed as before.
    void theReceiveTickSleepsUntilBytesArrive() {
        START_RIG(rig);
        rig.setTimeOut(50);
        rig.vdev->send("AB\r");
        QVERIFY(rig.waitForPackets(1));
        QVERIFY(RunUntil([&] { return !rig.form->RxTimer->isActive(); }));
        const long ticks = rig.rxTicks;
        QTest::qWait(100);
        QCOMPARE(rig.rxTicks, ticks);
        rig.vdev->send("CD");
        QTimer::singleShot(20, [&] { rig.vdev->send("E\r"); }); // within the time-out: the same packet
        QVERIFY(rig.waitForPackets(1));
        rig.drawn();
        QCOMPARE(rig.shown(), QStringLiteral("AB\nCDE"));
    }

    // A device that sends faster than anything can show: RxBuf never overruns, the timers keep firing and a
    // click is handled in the middle of it.
    void aFloodStaysWithinRxBufAndTheWindowKeepsHandlingEvents_data() {
        QTest::addColumn<bool>("hex");
        QTest::newRow("ASCII") << false;
        QTest::newRow("HEX") << true;
    }
    void aFloodStaysWithinRxBufAndTheWindowKeepsHandlingEvents() {
        QFETCH(bool, hex);
        START_RIG(rig);
        (hex ? rig.form->RBHEX : rig.form->RBASCII)->click();
        long housekeeping = 0, beats = 0;
        QObject::connect(rig.form->CustomFunctions, &QTimer::timeout, [&] { ++housekeeping; });
        QTimer heartbeat;
        heartbeat.setInterval(10);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
        heartbeat.start();
        bool clickedMidFlood = false;
        QTimer::singleShot(700, [&] {
            rig.form->StartStop->click(); // pause: the snapshot is taken while the flood goes on
            clickedMidFlood = rig.vdev->streaming();
        });

        rig.vdev->startStream(NumberedLines(1024), 0, true);
        QTest::qWait(1500);
        rig.vdev->stopStream();
        const auto streamed = static_cast<std::int64_t>(rig.vdev->streamedBytes());
        QVERIFY(rig.drain(streamed, 5000));

        QVERIFY(clickedMidFlood);
        QVERIFY(rig.form->SecondWindow->toPlainText().endsWith(QStringLiteral(">>>>>>>>>> STOP <<<<<<<<<<")));
        QVERIFY(rig.maxRxLen <= RxState::kBufSize);
        QCOMPARE(rig.form->st.counters.RxBytes, streamed);
        QVERIFY2(streamed > 1000000, "at least a megabyte went over the line");
        // Pieces of at most 2048 bytes, each its own entry.
        QVERIFY(rig.form->st.receive.RenderedPackets * static_cast<std::int64_t>(RxState::kBufSize) >= streamed);
        // Liveness, not speed: over 1.5 s the 10 ms heartbeat fired at least a tenth as often as it should, and the
        // log (drawn ten times a second while entries stream, at once when much text waits) was drawn a few times.
        QVERIFY2(beats >= 15, qPrintable(QStringLiteral("heartbeat fired %1 times").arg(beats)));
        QVERIFY2(housekeeping >= 4, qPrintable(QStringLiteral("housekeeping ran %1 times").arg(housekeeping)));
        QVERIFY(rig.rxTicks >= 15);
        QVERIFY(rig.dialogs.messages.empty());
    }

    // In HEX mode each log-file line is exactly one piece (only the blank after the last byte goes), so the file
    // gives back every byte that came in, in order.
    void nothingIsLostWhenTheDeviceIsSlowerThanTheIntake() {
        START_RIG(rig);
        rig.form->RBHEX->click();
        rig.form->StartLog->click();
        QVERIFY(!rig.logPath().isEmpty());
        const std::string text = NumberedLines(8000); // 512000 bytes
        rig.vdev->startStream(text, 1000000, false);  // half a second at 1 MB/s
        QVERIFY(rig.drain(static_cast<std::int64_t>(text.size()), 8000));
        QCOMPARE(rig.form->st.counters.RxBytes, static_cast<std::int64_t>(text.size()));
        QVERIFY(rig.maxRxLen <= RxState::kBufSize);
        rig.form->StartLog->click(); // paused: the file is complete on disk

        QFile log(rig.logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        int entries = 0;
        const QByteArray got = Unhex(log.readAll(), &entries);
        QCOMPARE(got.size(), static_cast<qsizetype>(text.size()));
        QVERIFY(got == QByteArray::fromStdString(text));
        QCOMPARE(static_cast<std::int64_t>(entries), rig.form->st.receive.RenderedPackets);
    }

    // A relay that hands the bytes on in pieces (socat between two pseudo-terminals), fed as fast as it takes them:
    // every byte arrives, in order.
    void aFloodThroughARelayArrivesWhole() {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty()) QSKIP("no socat here");
        QTemporaryDir links;
        const QString port = links.filePath(QStringLiteral("port")), feed = links.filePath(QStringLiteral("feed"));
        QProcess socat;
        socat.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                              QStringLiteral("pty,raw,echo=0,link=") + port,
                                              QStringLiteral("pty,raw,echo=0,link=") + feed});
        QVERIFY(RunUntil([&] { return QFile::exists(port) && QFile::exists(feed); }));
        Rig rig;
        QVERIFY(rig.startOn(links.path().toStdString(), port.toStdString()));
        rig.form->RBHEX->click();
        rig.form->StartLog->click();

        const std::string text = NumberedLines(32000); // 2 MB
        const int fd = ::open(feed.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        std::atomic<bool> stop{false};
        std::thread feeder([&] {
            for (std::size_t at = 0; at < text.size() && !stop;) {
                pollfd p{fd, POLLOUT, 0};
                if (::poll(&p, 1, 100) <= 0) continue;
                const ssize_t n = ::write(fd, text.data() + at, std::min<std::size_t>(65536, text.size() - at));
                if (n > 0) at += static_cast<std::size_t>(n);
            }
        });
        const bool drained = rig.drain(static_cast<std::int64_t>(text.size()), 30000);
        stop = true;
        feeder.join();
        ::close(fd); // only now: the relay ends when its other side closes
        QVERIFY(drained);
        QCOMPARE(rig.form->st.counters.RxBytes, static_cast<std::int64_t>(text.size()));
        rig.form->StartLog->click();
        QFile log(rig.logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        int entries = 0;
        QVERIFY(Unhex(log.readAll(), &entries) == QByteArray::fromStdString(text));
        rig.form.reset();
        socat.terminate();
        socat.waitForFinished();
    }
};

QTEST_MAIN(TestReceiveE2E)
#include "test_receive_e2e.moc"
