// trelvo-bench-send: the main window on the production port, talking to the virtual device through a
// pseudo-terminal, with its real timers running. Prints how punctual periodic sending is (the gaps between two
// writes against the P + 1 ms the period rule asks for, with the GUI thread's CPU meanwhile), how many round
// trips per second the after-answer mode makes against an echoing device at time-out 0, and what sending a file's
// raw bytes at full speed costs (MB/s, CPU, memory, the gaps of a 10 ms heartbeat of the window's thread), beside a
// flood of received 64-byte text lines measured the same way.
//
//   trelvo-bench-send [--seconds N] [--periods 0,10,100,1000] [--round-trip-seconds R] [--raw-mb M]
//                     [--flood-seconds F]
//   (--seconds is the time per period; P = 1000 gets at least 5 s so that it has gaps to measure; 0 or an empty
//   list skips a part)

#include "app/appearance.h"
#include "app/form1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "bench_support.h"
#include "process_stats.h"
#include "quiet_dialogs.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"
#include "tools/virtual_device.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace trelvo::bench {
namespace {

struct Options {
    double seconds = 3;
    std::vector<int> periods{0, 10, 100, 1000};
    double roundTripSeconds = 3;
    int rawMb = 100;
    double floodSeconds = 5;
};

// The production port, with the moment of every write noted.
class TimedPort final : public ForwardingSerialDevice {
public:
    TimedPort() : ForwardingSerialDevice(port_) {}
    std::vector<double> writesMs;

    std::uint32_t write(const char* data, std::uint32_t count) override {
        writesMs.push_back(NowMs());
        return ForwardingSerialDevice::write(data, count);
    }

private:
    QtSerialDevice port_;
};

// A 10 ms timer of the window's thread: the gaps between its beats show how long the thread was held up.
class Heartbeat {
public:
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const double now = NowMs();
            if (last_ > 0) gaps_.push_back(now - last_);
            last_ = now;
            if (onBeat) onBeat();
        });
    }
    void start() {
        gaps_.clear();
        last_ = 0;
        timer_.start();
    }
    Percentiles stop() {
        timer_.stop();
        return Summarise(gaps_);
    }
    std::function<void()> onBeat;

private:
    QTimer timer_;
    std::vector<double> gaps_;
    double last_ = 0;
};

// What a stream of bytes through the window cost.
struct StreamFigures {
    bool ok = false;
    double seconds = 0, bytesPerSecond = 0, guiCpu = 0, processCpu = 0;
    Percentiles heartbeat;
    long rssBeforeKb = 0, peakKb = 0;
    bool peakIsOwn = false;
};

struct Lateness {
    std::size_t gaps = 0;
    double mean = 0, p99 = 0, worst = 0, cpu = 0;
};

class Harness {
public:
    Harness(QuietDialogs& dialogs, vdev::VirtualDevice& device, const std::string& linkDir)
        : lister_(MakeSystemPortLister(linkDir, "/dev/pts")), device_(device),
          form_(Services{port_, *lister_, clock_, dialogs}) {
        form_.show();
    }

    bool connect() {
        const int at = form_.ComPort->findText(QString::fromStdString(device_.portName()));
        if (at < 0) {
            std::fprintf(stderr, "the virtual port %s is not in the port list\n", device_.portName().c_str());
            return false;
        }
        form_.ComPort->setCurrentIndex(at);
        form_.BaudRate->setCurrentIndex(form_.BaudRate->findText(QStringLiteral("115200")));
        form_.BTConnectClick();
        form_.AddStrCmd->setText(QStringLiteral("$0D"));
        return form_.st.port.PortOpen;
    }

    // The gaps between periodic writes of a short line, against P + 1 ms.
    Lateness periodic(int periodMs, double seconds) {
        form_.MainStrCmd->setText(QStringLiteral("PERIOD"));
        form_.PeriodTX->setText(QString::number(periodMs));
        port_.writesMs.clear();
        const double cpu0 = CpuSeconds(true);
        Stopwatch wall;
        form_.RBPeriod->click();
        RunFor(seconds * 1000);
        form_.RBManual->click();
        Lateness l;
        l.cpu = (CpuSeconds(true) - cpu0) / wall.seconds();
        std::vector<double> late;
        for (std::size_t i = 1; i < port_.writesMs.size(); ++i)
            late.push_back(port_.writesMs[i] - port_.writesMs[i - 1] - (periodMs + 1));
        if (late.empty()) return l;
        std::sort(late.begin(), late.end());
        l.gaps = late.size();
        for (const double v : late)
            l.mean += v / static_cast<double>(late.size());
        l.p99 = late[std::min(late.size() - 1, late.size() * 99 / 100)];
        l.worst = late.back();
        return l;
    }

    // After-answer mode against a device that echoes: each echo, once silent for a tick, releases the next send.
    double roundTrips(double seconds) {
        while (form_.st.receive.RxTimeOutMs > 0)
            form_.TimeOutRxClick(false);
        device_.setEcho(true);
        form_.MainStrCmd->setText(QStringLiteral("PING"));
        form_.RBAfterAns->click();
        port_.writesMs.clear();
        Stopwatch wall;
        form_.ButtonSend->click();
        RunFor(seconds * 1000);
        const double s = wall.seconds();
        form_.RBManual->click();
        device_.setEcho(false);
        return static_cast<double>(port_.writesMs.size()) / s;
    }

    // A file of `bytes` bytes sent raw as fast as the line takes it; the device counts what arrives.
    StreamFigures rawFile(QuietDialogs& dialogs, const std::string& path, std::uint64_t bytes) {
        StreamFigures f;
        std::atomic<std::uint64_t> arrived{0};
        device_.clearReceived();
        device_.setReceiveCallback([&](std::string_view d) { arrived += d.size(); });
        Heartbeat beat;
        beat.onBeat = [this] { device_.clearReceived(); }; // the device keeps no copy of the whole file
        const auto tx0 = form_.st.counters.TxBytes;
        f.rssBeforeKb = StatusKb("VmRSS");
        f.peakIsOwn = ResetPeak();
        const double gui0 = CpuSeconds(true), proc0 = CpuSeconds(false);
        Stopwatch wall;
        beat.start();
        dialogs.fileAnswer = path;
        form_.SendRawFileClick();
        dialogs.fileAnswer.reset();
        f.ok = RunUntil([&] { return !form_.RawFileSending() && arrived >= bytes; }, 600'000);
        f.heartbeat = beat.stop();
        f.seconds = wall.seconds();
        f.guiCpu = (CpuSeconds(true) - gui0) / f.seconds;
        f.processCpu = (CpuSeconds(false) - proc0) / f.seconds;
        f.peakKb = PeakKb();
        f.bytesPerSecond = static_cast<double>(arrived) / f.seconds;
        f.ok = f.ok && arrived == bytes && form_.st.counters.TxBytes - tx0 == static_cast<std::int64_t>(bytes);
        device_.setReceiveCallback({});
        device_.clearReceived();
        return f;
    }

    // 64-byte text lines streamed by the device as fast as the window takes them, time-out 0, ASCII.
    StreamFigures textFlood(double seconds) {
        StreamFigures f;
        while (form_.st.receive.RxTimeOutMs > 0)
            form_.TimeOutRxClick(false);
        static const char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        std::string text;
        for (int i = 0; i < 1024; ++i)
            text += std::string(kChars, 62) + "\r\n";
        device_.startStream(text, 0, true);
        RunFor(500); // the pipe fills and the log view reaches its working size
        Heartbeat beat;
        const auto rx0 = form_.st.counters.RxBytes;
        f.rssBeforeKb = StatusKb("VmRSS");
        f.peakIsOwn = ResetPeak();
        const double gui0 = CpuSeconds(true), proc0 = CpuSeconds(false);
        Stopwatch wall;
        beat.start();
        RunFor(seconds * 1000);
        f.heartbeat = beat.stop();
        f.seconds = wall.seconds();
        f.guiCpu = (CpuSeconds(true) - gui0) / f.seconds;
        f.processCpu = (CpuSeconds(false) - proc0) / f.seconds;
        f.peakKb = PeakKb();
        f.bytesPerSecond = static_cast<double>(form_.st.counters.RxBytes - rx0) / f.seconds;
        device_.stopStream();
        auto last = form_.st.counters.RxBytes;
        Stopwatch quiet;
        RunUntil(
            [&] {
                if (form_.st.counters.RxBytes != last) {
                    last = form_.st.counters.RxBytes;
                    quiet.restart();
                }
                return quiet.ms() > 300;
            },
            60000);
        f.ok = true;
        return f;
    }

private:
    TimedPort port_;
    std::unique_ptr<PortLister> lister_;
    SystemClock clock_;
    vdev::VirtualDevice& device_;
    TForm1 form_;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--seconds" && hasValue) {
            o.seconds = std::atof(argv[++i]);
        } else if (a == "--round-trip-seconds" && hasValue) {
            o.roundTripSeconds = std::atof(argv[++i]);
        } else if (a == "--raw-mb" && hasValue) {
            o.rawMb = std::atoi(argv[++i]);
        } else if (a == "--flood-seconds" && hasValue) {
            o.floodSeconds = std::atof(argv[++i]);
        } else if (a == "--periods" && hasValue) {
            o.periods.clear();
            std::stringstream list(argv[++i]);
            std::string p;
            while (std::getline(list, p, ','))
                o.periods.push_back(std::atoi(p.c_str()));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--seconds N] [--periods 0,10,100,1000] [--round-trip-seconds R] [--raw-mb M] "
                         "[--flood-seconds F]\n",
                         argv[0]);
            return false;
        }
    }
    return true;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one.empty() ? "unknown" : one;
}

// Every byte value, in 1 MiB pieces; written in pieces, so the benchmark holds no copy of the file.
bool WriteRawFile(const QString& path, std::uint64_t bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray piece(1 << 20, '\0');
    for (int i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<char>((i * 131 + i / 256) % 256);
    for (std::uint64_t left = bytes; left > 0;) {
        const qint64 n = static_cast<qint64>(std::min<std::uint64_t>(left, piece.size()));
        if (f.write(piece.constData(), n) != n) return false;
        left -= static_cast<std::uint64_t>(n);
    }
    return true;
}

void PrintStream(const char* what, const StreamFigures& f) {
    std::printf("%-19s %6.2f MB/s over %5.1f s, CPU GUI thread %5.1f %%, process %5.1f %%; heartbeat gaps median "
                "%.1f, p99 %.1f, worst %.1f ms; RSS %.1f MB before, peak %.1f MB%s%s\n",
                what, f.bytesPerSecond / 1e6, f.seconds, f.guiCpu * 100, f.processCpu * 100, f.heartbeat.median,
                f.heartbeat.p99, f.heartbeat.max, f.rssBeforeKb / 1024.0, f.peakKb / 1024.0,
                f.peakIsOwn ? "" : " (of the whole run)", f.ok ? "" : " - INCOMPLETE");
}

int Run(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyApplicationLook(app);

    QTemporaryDir work; // the window writes its history file into the working directory
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "no temporary working directory\n");
        return 1;
    }
    vdev::VirtualDevice device(work.path().toStdString() + "/ttyV0");
    if (!device.start()) {
        std::printf("no pseudo-terminal here (%s): nothing measured\n", device.lastError().c_str());
        return 0;
    }
    QuietDialogs dialogs;
    Harness h(dialogs, device, work.path().toStdString());
    if (!h.connect()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }

    std::printf("Trelvo send benchmark, platform %s, load average %s; lateness = gap between two periodic writes "
                "minus (P + 1) ms\n",
                qPrintable(QApplication::platformName()), LoadAverage().c_str());
    for (const int p : o.periods) {
        const double seconds = p >= 1000 ? std::max(o.seconds, 5.0) : o.seconds;
        const Lateness l = h.periodic(p, seconds);
        std::printf("P = %5d ms (%4zu gaps): lateness mean %6.2f ms, p99 %6.2f, worst %6.2f; CPU GUI thread %5.1f %%\n",
                    p, l.gaps, l.mean, l.p99, l.worst, l.cpu * 100);
    }
    if (o.roundTripSeconds > 0)
        std::printf("After each answer, echoing device, time-out 0: %.0f round trips/s\n",
                    h.roundTrips(o.roundTripSeconds));
    if (o.rawMb > 0) {
        const std::uint64_t bytes = static_cast<std::uint64_t>(o.rawMb) << 20;
        const QString path = work.filePath(QStringLiteral("raw.bin"));
        if (!WriteRawFile(path, bytes)) {
            std::fprintf(stderr, "could not write the raw file\n");
            return 1;
        }
        PrintStream("Raw file", h.rawFile(dialogs, QFile::encodeName(path).toStdString(), bytes));
        QFile::remove(path);
    }
    if (o.floodSeconds > 0) PrintStream("Text flood received", h.textFlood(o.floodSeconds));
    if (dialogs.shown > 0) std::printf("(%d dialogs were shown during the run)\n", dialogs.shown);
    std::fflush(stdout);
    return 0;
}

} // namespace
} // namespace trelvo::bench

int main(int argc, char** argv) {
    return trelvo::bench::Run(argc, argv);
}
