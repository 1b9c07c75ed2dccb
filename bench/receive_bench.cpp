// trelvo-bench-receive: the main window on the production port, fed by the virtual device through a
// pseudo-terminal, with its real timers running. Prints what a flood of 64-byte text lines costs (intake, entries,
// CPU, memory, how late the window's own timers get), the time from a packet's last byte to its log entry, and the
// CPU an idle port costs (closed and open), and what a paced stream of text lines costs (a device talking at
// 115200 baud: 64-byte lines at 11520 bytes a second). First it prints the start-up: process start to the first
// paint of the main window, with a full command library and history in its working directory, and the memory then.
//
//   trelvo-bench-receive [--seconds N] [--latency-packets K] [--idle-seconds S] [--modes ascii,hex]
//                        [--paced-seconds S] [--paced-rate BYTES_PER_S] [--stamped]
//                        (--stamped: the paced stream a second time, with time stamps and the log file recording)
//                        [--trace-slow MS]   (names every event that takes longer than MS to handle)

#include "app/appearance.h"
#include "app/form1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "bench_support.h"
#include "process_stats.h"
#include "full_library.h"
#include "quiet_dialogs.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"
#include "tools/virtual_device.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include <dirent.h>
#include <time.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace trelvo::bench {
namespace {

struct Options {
    double seconds = 10;
    int latencyPackets = 40;
    double idleSeconds = 5;
    double pacedSeconds = 10;
    double pacedRate = 11520; // 115200 baud, 8N1
    bool stamped = false;     // the paced stream again with "TIME +" ticked and the log file recording
    double traceSlowMs = 0;
    int buffersPerTick = 0; // 0: the window's own bound
    bool ascii = true;
    bool hex = true;
};

// Times every event handled at the top level, so a slow step of the window can be named.
// Milliseconds since the system started, the clock a process's start time is told in.
double SinceBootMs() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
}

// When this process started, in milliseconds since the system started (to the kernel's tick).
double ProcessStartMs() {
    std::ifstream stat("/proc/self/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return std::stod(field) * 1000 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    double thresholdMs = 0; // 0: nothing printed
    double firstPaintMs = -1; // since boot, when the main window was first painted
    std::function<void()> afterEvent; // after every event handled at the top level
    bool notify(QObject* receiver, QEvent* event) override {
        if (firstPaintMs < 0 && event->type() == QEvent::Paint && receiver->isWidgetType() &&
            static_cast<QWidget*>(receiver)->window()->objectName() == QLatin1String("Form1"))
            firstPaintMs = SinceBootMs();
        const bool top = depth_ == 0;
        const QString name = top && thresholdMs > 0 ? receiver->objectName() : QString();
        const int type = event->type();
        ++depth_;
        Stopwatch w;
        const bool r = QApplication::notify(receiver, event);
        const double ms = w.ms();
        --depth_;
        if (!top) return r;
        if (thresholdMs > 0 && ms > thresholdMs)
            std::fprintf(stderr, "slow: %.1f ms, event %d to %s (%s)\n", ms, type, qPrintable(name),
                         receiver->metaObject()->className());
        if (afterEvent) afterEvent();
        return r;
    }

private:
    int depth_ = 0;
};

// 64-byte lines "0123...xyz" CR LF; 1024 of them, so the device writes whole chunks.
std::string FloodText() {
    static const char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const std::string line = std::string(kChars, 62) + "\r\n";
    std::string text;
    for (int i = 0; i < 1024; ++i)
        text += line;
    return text;
}

// The threads of this process, by their ids.
std::set<long> ThreadIds() {
    std::set<long> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* e = readdir(dir))
            if (e->d_name[0] != '.') ids.insert(std::atol(e->d_name));
        closedir(dir);
    }
    return ids;
}

// CPU seconds a thread of this process has used (the scheduler's nanosecond count); 0 where it cannot be read.
double ThreadCpuSeconds(long tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    double ns = 0;
    in >> ns;
    return ns / 1e9;
}

double ThreadsCpuSeconds(const std::vector<long>& tids) {
    double s = 0;
    for (long t : tids)
        s += ThreadCpuSeconds(t);
    return s;
}

// The gaps between a timer's ticks, and the number of ticks.
class TickWatch {
public:
    void tick() {
        const double now = NowMs();
        if (last_ > 0) gapsMs_.push_back(now - last_);
        last_ = now;
        ++ticks_;
    }
    void reset() {
        last_ = 0;
        gapsMs_.clear();
        ticks_ = 0;
    }
    Percentiles gaps() const { return Summarise(gapsMs_); }
    long ticks() const { return ticks_; }

private:
    double last_ = 0;
    std::vector<double> gapsMs_;
    long ticks_ = 0;
};

struct FloodFigures {
    const char* mode = "";
    double seconds = 0;
    double bytesPerSecond = 0;
    double entriesPerSecond = 0;
    double guiCpu = 0, processCpu = 0; // share of one core
    long rssBeforeKb = 0, rssAfterKb = 0, peakKb = 0;
    bool peakIsOfFlood = false;
    long maxBlocks = 0;
    Percentiles heartbeat;    // 10 ms heartbeat: gaps between two beats
    Percentiles housekeeping; // CustomFunctions, 10 ms: gaps between two ticks
    double rxTicksPerSecond = 0;
    long long lostBytes = 0; // streamed but never taken in, after the flood has drained
};

struct IdleFigures {
    double guiCpu = 0, processCpu = 0;
    double rxTicksPerSecond = 0, housekeepingPerSecond = 0;
};

struct PacedFigures {
    double seconds = 0, bytesPerSecond = 0, entriesPerSecond = 0;
    double guiCpu = 0, processCpu = 0;
    double programCpu = 0; // the process less the benchmark's own feeder and virtual-device threads
    // The same, second by second: their median tells a run's own figure from a spell of a slow host within it.
    double guiCpuMedian = 0, programCpuMedian = 0;
    double rxTicksPerSecond = 0, housekeepingPerSecond = 0;
};

class Harness {
public:
    Harness(QuietDialogs& dialogs, vdev::VirtualDevice& device, const std::string& linkDir,
            std::vector<long> deviceThreads)
        : lister_(MakeSystemPortLister(linkDir, "/dev/pts")), device_(device), deviceThreads_(std::move(deviceThreads)),
          form_(Services{serial_, *lister_, clock_, dialogs}) {
        serial_.setArrivalClock(&clock_); // as the program does
        form_.show();
        QObject::connect(form_.RxTimer, &QTimer::timeout, [this] { rxTicks_.tick(); });
        QObject::connect(form_.CustomFunctions, &QTimer::timeout, [this] { housekeeping_.tick(); });
        heartbeat_.setTimerType(Qt::PreciseTimer);
        heartbeat_.setInterval(10);
        QObject::connect(&heartbeat_, &QTimer::timeout, [this] { beats_.tick(); });
        heartbeat_.start();
        QObject::connect(form_.MainWindow, &LogTextView::linesAdded, [this] {
            maxBlocks_ = std::max<long>(maxBlocks_, form_.MainWindow->store().lineCount());
            if (onShown_) onShown_();
        });
    }

    bool connect() {
        form_.BTRescanClick();
        const int at = form_.ComPort->findText(QString::fromStdString(device_.portName()));
        if (at < 0) {
            std::fprintf(stderr, "the virtual port %s is not in the port list\n", device_.portName().c_str());
            return false;
        }
        form_.ComPort->setCurrentIndex(at);
        form_.BaudRate->setCurrentIndex(form_.BaudRate->findText(QStringLiteral("115200")));
        form_.BTConnectClick();
        return form_.st.port.PortOpen;
    }

    void setBuffersPerTick(int n) {
        if (n > 0) form_.st.receive.MaxBuffersPerTick = n;
    }

    void setMode(bool hex) { (hex ? form_.RBHEX : form_.RBASCII)->click(); }

    void setTimeOut(int ms) {
        while (form_.st.receive.RxTimeOutMs < ms)
            form_.TimeOutRxClick(true);
        while (form_.st.receive.RxTimeOutMs > ms)
            form_.TimeOutRxClick(false);
    }

    // Runs until nothing has come in for `quietMs`.
    void drain(double quietMs) {
        auto last = form_.st.counters.RxBytes;
        Stopwatch quiet;
        RunUntil(
            [&] {
                if (form_.st.counters.RxBytes != last) {
                    last = form_.st.counters.RxBytes;
                    quiet.restart();
                }
                return quiet.ms() > quietMs && form_.st.receive.RxLen == 0;
            },
            60000);
        form_.FlushLogView();
    }

    FloodFigures flood(const char* mode, double seconds) {
        FloodFigures f;
        f.mode = mode;
        form_.BTLogClick();
        drain(100);
        const auto bytesBefore = form_.st.counters.RxBytes;
        device_.startStream(FloodText(), 0, true);
        RunFor(500); // the pipe fills and the log view reaches its working size

        f.rssBeforeKb = StatusKb("VmRSS");
        f.peakIsOfFlood = ResetPeak();
        maxBlocks_ = 0;
        beats_.reset();
        housekeeping_.reset();
        rxTicks_.reset();
        const auto rx0 = form_.st.counters.RxBytes;
        const auto packets0 = form_.st.receive.RenderedPackets;
        const double gui0 = CpuSeconds(true), proc0 = CpuSeconds(false);
        Stopwatch wall;
        RunFor(seconds * 1000);
        f.seconds = wall.seconds();
        const double gui1 = CpuSeconds(true), proc1 = CpuSeconds(false);
        const auto rx1 = form_.st.counters.RxBytes;
        const auto packets1 = form_.st.receive.RenderedPackets;
        f.peakKb = PeakKb();
        f.rssAfterKb = StatusKb("VmRSS");
        f.heartbeat = beats_.gaps();
        f.housekeeping = housekeeping_.gaps();
        f.rxTicksPerSecond = static_cast<double>(rxTicks_.ticks()) / f.seconds;
        f.maxBlocks = maxBlocks_;

        f.bytesPerSecond = static_cast<double>(rx1 - rx0) / f.seconds;
        f.entriesPerSecond = static_cast<double>(packets1 - packets0) / f.seconds;
        f.guiCpu = (gui1 - gui0) / f.seconds;
        f.processCpu = (proc1 - proc0) / f.seconds;

        device_.stopStream();
        const auto streamed = static_cast<long long>(device_.streamedBytes());
        drain(300);
        f.lostBytes = streamed - static_cast<long long>(form_.st.counters.RxBytes - bytesBefore);
        return f;
    }

    // Called after every event the window handles: a packet may be placed by any of them (a timer's tick, the
    // port's word that bytes came).
    void eventHandled() {
        if (afterTick_) afterTick_();
    }

    // Last byte written by the device -> the packet rendered (entry placed) and -> shown in MainWindow.
    void latency(int timeOutMs, int packets, std::vector<double>& rendered, std::vector<double>& shown) {
        setTimeOut(timeOutMs);
        setMode(false);
        form_.BTLogClick();
        drain(50);
        std::mt19937 random(12345);
        for (int i = 0; i < packets; ++i) {
            char text[80];
            std::snprintf(text, sizeof text, "PACKET %04d 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqr\r\n",
                          i);
            const std::string packet = std::string(text).substr(0, 62) + "\r\n";
            const auto rxBefore = form_.st.counters.RxBytes;
            const auto packetsBefore = form_.st.receive.RenderedPackets;
            double renderedAt = 0, shownAt = 0;
            afterTick_ = [&] {
                if (renderedAt == 0 && form_.st.receive.RenderedPackets > packetsBefore) renderedAt = NowMs();
            };
            onShown_ = [&] {
                if (renderedAt != 0 && shownAt == 0) shownAt = NowMs();
            };
            const double sentAt = NowMs();
            device_.send(packet);
            RunUntil([&] { return shownAt != 0; }, 2000);
            afterTick_ = nullptr;
            onShown_ = nullptr;
            if (form_.st.counters.RxBytes - rxBefore != static_cast<std::int64_t>(packet.size()) || shownAt == 0) {
                std::fprintf(stderr, "packet %d: %lld bytes taken in, %s\n", i,
                             static_cast<long long>(form_.st.counters.RxBytes - rxBefore),
                             shownAt == 0 ? "not shown" : "shown");
                continue;
            }
            rendered.push_back(renderedAt - sentAt);
            shown.push_back(shownAt - sentAt);
            RunFor(std::uniform_int_distribution<int>(20, 45)(random)); // pauses out of step with the timers
        }
        setTimeOut(0);
    }

    // CPU of the window with nothing arriving, and how often its receive and housekeeping timers woke.
    IdleFigures idle(double seconds) {
        if (form_.st.port.PortOpen) {
            form_.BTLogClick();
            drain(100);
        }
        rxTicks_.reset();
        housekeeping_.reset();
        heartbeat_.stop(); // the benchmark's own wake-ups are not the window's
        const double gui0 = CpuSeconds(true), proc0 = CpuSeconds(false);
        Stopwatch wall;
        RunFor(seconds * 1000);
        const double s = wall.seconds();
        heartbeat_.start();
        return {(CpuSeconds(true) - gui0) / s, (CpuSeconds(false) - proc0) / s, rxTicks_.ticks() / s,
                housekeeping_.ticks() / s};
    }

    // Time stamps on the entries and the log file recording (into the working directory), or neither.
    void setStamped(bool on) {
        form_.VisTime->setChecked(on);
        if (recording_ != on) form_.StartLogClick(); // the button starts and pauses recording in turn
        recording_ = on;
    }

    // 64-byte text lines written whole by a feeder thread at `bytesPerSecond`, time-out 0, ASCII.
    PacedFigures paced(double seconds, double bytesPerSecond) {
        PacedFigures f;
        setMode(false);
        setTimeOut(0);
        form_.BTLogClick();
        drain(100);
        const std::string line = FloodText().substr(0, 64);
        std::atomic<bool> stop{false};
        std::atomic<long> feederTid{0};
        std::thread feeder([&] {
            feederTid = static_cast<long>(syscall(SYS_gettid));
            const auto period = std::chrono::duration<double>(static_cast<double>(line.size()) / bytesPerSecond);
            auto next = std::chrono::steady_clock::now();
            while (!stop) {
                device_.send(line);
                next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
                std::this_thread::sleep_until(next);
            }
        });
        RunFor(300); // the stream settles
        std::vector<long> others = deviceThreads_;
        others.push_back(feederTid);
        heartbeat_.stop();
        rxTicks_.reset();
        housekeeping_.reset();
        const auto rx0 = form_.st.counters.RxBytes;
        const auto packets0 = form_.st.receive.RenderedPackets;
        const double gui0 = CpuSeconds(true), proc0 = CpuSeconds(false), others0 = ThreadsCpuSeconds(others);
        Stopwatch wall;
        std::vector<double> guiPerSecond, programPerSecond;
        for (double left = seconds * 1000; left > 0; left -= 1000) {
            const double g = CpuSeconds(true), p = CpuSeconds(false) - ThreadsCpuSeconds(others);
            Stopwatch second;
            RunFor(std::min(left, 1000.0));
            guiPerSecond.push_back((CpuSeconds(true) - g) / second.seconds());
            programPerSecond.push_back((CpuSeconds(false) - ThreadsCpuSeconds(others) - p) / second.seconds());
        }
        f.guiCpuMedian = Summarise(guiPerSecond).median;
        f.programCpuMedian = Summarise(programPerSecond).median;
        f.seconds = wall.seconds();
        f.guiCpu = (CpuSeconds(true) - gui0) / f.seconds;
        f.processCpu = (CpuSeconds(false) - proc0) / f.seconds;
        f.programCpu = f.processCpu - (ThreadsCpuSeconds(others) - others0) / f.seconds;
        f.bytesPerSecond = static_cast<double>(form_.st.counters.RxBytes - rx0) / f.seconds;
        f.entriesPerSecond = static_cast<double>(form_.st.receive.RenderedPackets - packets0) / f.seconds;
        f.rxTicksPerSecond = rxTicks_.ticks() / f.seconds;
        f.housekeepingPerSecond = housekeeping_.ticks() / f.seconds;
        heartbeat_.start();
        stop = true;
        feeder.join();
        drain(100);
        return f;
    }

private:
    QtSerialDevice serial_;
    std::unique_ptr<PortLister> lister_;
    SystemClock clock_;
    vdev::VirtualDevice& device_;
    std::vector<long> deviceThreads_; // the virtual device's own threads: the far end of the line, not the program
    TForm1 form_;
    QTimer heartbeat_;
    TickWatch beats_, housekeeping_, rxTicks_;
    long maxBlocks_ = 0;
    bool recording_ = false;
    std::function<void()> afterTick_;
    std::function<void()> onShown_;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--seconds" && hasValue)
            o.seconds = std::atof(argv[++i]);
        else if (a == "--latency-packets" && hasValue)
            o.latencyPackets = std::atoi(argv[++i]);
        else if (a == "--idle-seconds" && hasValue)
            o.idleSeconds = std::atof(argv[++i]);
        else if (a == "--paced-seconds" && hasValue)
            o.pacedSeconds = std::atof(argv[++i]);
        else if (a == "--paced-rate" && hasValue)
            o.pacedRate = std::atof(argv[++i]);
        else if (a == "--stamped")
            o.stamped = true;
        else if (a == "--trace-slow" && hasValue)
            o.traceSlowMs = std::atof(argv[++i]);
        else if (a == "--buffers-per-tick" && hasValue)
            o.buffersPerTick = std::atoi(argv[++i]);
        else if (a == "--modes" && hasValue) {
            const std::string m = argv[++i];
            o.ascii = m.find("ascii") != std::string::npos;
            o.hex = m.find("hex") != std::string::npos;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--seconds N] [--latency-packets K] [--idle-seconds S] [--modes ascii,hex] "
                         "[--paced-seconds S] [--paced-rate BYTES_PER_S] [--stamped] [--trace-slow MS]\n",
                         argv[0]);
            return false;
        }
    }
    return true;
}

void PrintFlood(const FloodFigures& f) {
    std::printf("%-5s  taken in %7.2f MB/s (%.0f B/s)  entries %7.0f /s  CPU GUI thread %5.1f %%, process %5.1f %%\n",
                f.mode, f.bytesPerSecond / 1e6, f.bytesPerSecond, f.entriesPerSecond, f.guiCpu * 100,
                f.processCpu * 100);
    std::printf("       memory: RSS %.1f MB at start, %.1f MB at end, peak %.1f MB%s; log view up to %ld lines\n",
                f.rssBeforeKb / 1024.0, f.rssAfterKb / 1024.0, f.peakKb / 1024.0,
                f.peakIsOfFlood ? "" : " (peak of the whole run)", f.maxBlocks);
    std::printf(
        "       window: gaps of a 10 ms heartbeat median %.1f, p99 %.1f, worst %.1f ms; of the 10 ms housekeeping "
        "tick median %.1f, p99 %.1f, worst %.1f ms\n",
        f.heartbeat.median, f.heartbeat.p99, f.heartbeat.max, f.housekeeping.median, f.housekeeping.p99,
        f.housekeeping.max);
    std::printf("       %.0f receive ticks/s; bytes lost %lld\n", f.rxTicksPerSecond, f.lostBytes);
}

void PrintLatency(int timeOutMs, const std::vector<double>& rendered, const std::vector<double>& shown) {
    const Percentiles r = Summarise(rendered), s = Summarise(shown);
    std::printf("time-out %2d ms (%zu packets): entry placed median %5.1f ms, p95 %5.1f, max %5.1f; "
                "shown in the log median %5.1f ms, p95 %5.1f, max %5.1f\n",
                timeOutMs, rendered.size(), r.median, r.p95, r.max, s.median, s.p95, s.max);
}

void PrintIdle(const char* port, double seconds, const IdleFigures& f) {
    std::printf("Idle, port %s, %.0f s: CPU GUI thread %.2f %%, process %.2f %%; timer wake-ups/s: receive %.1f, "
                "housekeeping %.1f\n",
                port, seconds, f.guiCpu * 100, f.processCpu * 100, f.rxTicksPerSecond, f.housekeepingPerSecond);
}

void PrintPaced(const PacedFigures& f, const char* how) {
    std::printf("Paced text lines%s, %.0f s, time-out 0: taken in %.0f B/s, entries %.0f /s, CPU GUI thread %.2f %%, "
                "process %.2f %% (of which the program %.2f %%, the feeder and the virtual device the rest); per-second "
                "median: GUI thread %.2f %%, program %.2f %%; timer wake-ups/s: receive %.0f, housekeeping %.1f\n",
                how, f.seconds, f.bytesPerSecond, f.entriesPerSecond, f.guiCpu * 100, f.processCpu * 100, f.programCpu * 100,
                f.guiCpuMedian * 100, f.programCpuMedian * 100, f.rxTicksPerSecond, f.housekeepingPerSecond);
}

int Run(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    app.thresholdMs = o.traceSlowMs;
    ApplyApplicationLook(app);

    QTemporaryDir work; // the window writes its history file into the working directory
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "no temporary working directory\n");
        return 1;
    }
    const double prepareFrom = SinceBootMs();
    // List by list: the memory printed is the window's, not a copy of the benchmark's own.
    if (!trelvo::bench::WriteFullLibrary(work.path())) std::fprintf(stderr, "the full library was not written\n");
    vdev::VirtualDevice device(work.path().toStdString() + "/ttyV0");
    const std::set<long> before = ThreadIds();
    if (!device.start()) {
        std::printf("no pseudo-terminal here (%s): nothing measured\n", device.lastError().c_str());
        return 0;
    }
    const double prepareMs = SinceBootMs() - prepareFrom; // the benchmark's own, not the program's
    std::vector<long> deviceThreads;
    for (long t : ThreadIds())
        if (!before.count(t)) deviceThreads.push_back(t);
    QuietDialogs dialogs;
    Harness h(dialogs, device, work.path().toStdString(), deviceThreads);
    app.afterEvent = [&h] { h.eventHandled(); };
    std::printf("Trelvo receive benchmark, platform %s (MB = 10^6 bytes, CPU in %% of one core)\n",
                qPrintable(QApplication::platformName()));
    RunFor(1000); // the window is shown and painted before anything is measured
    std::printf("Start-up with a full library and history: process start to the first paint of the main window "
                "%.0f ms (to the kernel's %ld ms tick; the benchmark's own %.0f ms of writing the files and starting "
                "the virtual device left out); memory once shown: RSS %.1f MB\n",
                app.firstPaintMs - ProcessStartMs() - prepareMs, 1000 / sysconf(_SC_CLK_TCK), prepareMs,
                static_cast<double>(StatusKb("VmRSS")) / 1000.0);
    if (o.idleSeconds > 0) PrintIdle("closed", o.idleSeconds, h.idle(o.idleSeconds));
    if (!h.connect()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }

    h.setBuffersPerTick(o.buffersPerTick);
    if (o.idleSeconds > 0) PrintIdle("open", o.idleSeconds, h.idle(o.idleSeconds));
    if (o.pacedSeconds > 0) PrintPaced(h.paced(o.pacedSeconds, o.pacedRate), "");
    if (o.pacedSeconds > 0 && o.stamped) {
        h.setStamped(true);
        PrintPaced(h.paced(o.pacedSeconds, o.pacedRate), " with time stamps and the log file recording");
        h.setStamped(false);
    }
    if (o.seconds > 0) std::printf("Flood of 64-byte text lines, %.0f s per mode, time-out 0:\n", o.seconds);
    if (o.seconds > 0 && o.ascii) PrintFlood(h.flood("ASCII", o.seconds));
    if (o.seconds > 0 && o.hex) {
        h.setMode(true);
        PrintFlood(h.flood("HEX", o.seconds));
        h.setMode(false);
    }
    if (o.latencyPackets > 0) {
        std::printf("From the device writing a packet's last byte to its entry (ASCII, 64-byte packets, pauses 20-45 "
                    "ms):\n");
        for (int t : {0, 10}) {
            std::vector<double> rendered, shown;
            h.latency(t, o.latencyPackets, rendered, shown);
            PrintLatency(t, rendered, shown);
        }
    }
    if (dialogs.shown > 0) std::printf("(%d dialogs were shown during the run)\n", dialogs.shown);
    std::fflush(stdout);
    return 0;
}

} // namespace
} // namespace trelvo::bench

int main(int argc, char** argv) {
    return trelvo::bench::Run(argc, argv);
}
