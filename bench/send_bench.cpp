// trelvo-bench-send: the main window on the production port, talking to the virtual device through a
// pseudo-terminal, with its real timers running. Prints how punctual periodic sending is (the gaps between two
// writes against the P + 1 ms the period rule asks for, with the GUI thread's CPU meanwhile) and how many round
// trips per second the after-answer mode makes against an echoing device at time-out 0.
//
//   trelvo-bench-send [--seconds N] [--periods 0,10,100,1000] [--round-trip-seconds R]
//   (--seconds is the time per period; P = 1000 gets at least 5 s so that it has gaps to measure)

#include "app/appearance.h"
#include "app/form1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "process_stats.h"
#include "quiet_dialogs.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"
#include "tools/virtual_device.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace trelvo::bench {
namespace {

struct Options {
    double seconds = 3;
    std::vector<int> periods{0, 10, 100, 1000};
    double roundTripSeconds = 3;
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

void RunFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

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
        } else if (a == "--periods" && hasValue) {
            o.periods.clear();
            std::stringstream list(argv[++i]);
            std::string p;
            while (std::getline(list, p, ','))
                o.periods.push_back(std::atoi(p.c_str()));
        } else {
            std::fprintf(stderr, "usage: %s [--seconds N] [--periods 0,10,100,1000] [--round-trip-seconds R]\n",
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
    if (dialogs.shown > 0) std::printf("(%d dialogs were shown during the run)\n", dialogs.shown);
    std::fflush(stdout);
    return 0;
}

} // namespace
} // namespace trelvo::bench

int main(int argc, char** argv) {
    return trelvo::bench::Run(argc, argv);
}
