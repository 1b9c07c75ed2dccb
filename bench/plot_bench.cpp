// trelvo-bench-plot: what the plot costs. The main window on the production port, fed by the virtual device with
// lines of 8 named values ("a:123 b:-45 ... h:678" CR LF) paced at a baud rate, prints the CPU of the window's thread
// with the plot closed and open, the plot's frame rate, then the time of one frame with 1,000,000 points per series
// kept, and the memory they take.
//
//   trelvo-bench-plot [--seconds N] [--rounds N] [--bauds 115200,921600] [--points N] [--shots DIR]
//   (--rounds: closed and open in turn that many times per baud rate, then the median and range of the difference;
//   a shared host's slow spells fall on single rounds)
//   (--shots: pictures of both windows into DIR after the first stream, at the design size, wider, and in two of
//   the log's colour schemes)

#include "app/appearance.h"
#include "app/form1.h"
#include "common/clock.h"
#include "plot/plot_canvas.h"
#include "plot/plot_form.h"
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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace trelvo::bench {
namespace {

// 1000 lines of 8 named integers that move like slow signals, looped by the device.
std::string EightSeriesText() {
    std::string text;
    char line[96];
    for (int i = 0; i < 1000; ++i) {
        std::string l;
        for (int s = 0; s < 8; ++s) {
            const int v = static_cast<int>(std::lround(500 * std::sin(i * 0.0063 * (s + 1)) + s * 10));
            std::snprintf(line, sizeof line, "%s%c:%d", s ? " " : "", 'a' + s, v);
            l += line;
        }
        text += l + "\r\n";
    }
    return text;
}

// Counts the pictures the canvas paints, and adds up the time each took (as the canvas timed the one before).
class PaintCounter final : public QObject {
public:
    long paints = 0;
    double paintMs = 0;
    const PlotCanvas* canvas = nullptr;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            if (paints > 0) paintMs += canvas->lastPaintMs();
            ++paints;
        }
        return false;
    }
};

struct Figures {
    double guiCpu = 0, linesPerSecond = 0, framesPerSecond = 0, paintMs = 0;
};

class Harness {
public:
    Harness(QuietDialogs& dialogs, vdev::VirtualDevice& device, const std::string& linkDir)
        : lister_(MakeSystemPortLister(linkDir, "/dev/pts")), device_(device),
          form_(Services{serial_, *lister_, clock_, dialogs}) {
        form_.show();
    }

    bool connect() {
        form_.BTRescanClick();
        const int at = form_.ComPort->findText(QString::fromStdString(device_.portName()));
        if (at < 0) return false;
        form_.ComPort->setCurrentIndex(at);
        form_.BaudRate->setCurrentIndex(form_.BaudRate->findText(QStringLiteral("115200")));
        form_.BTConnectClick();
        return form_.st.port.PortOpen;
    }

    void setPlotOpen(bool open) {
        if (open) {
            form_.BTPlotClick();
            if (!counting_) {
                form_.FormPlot->Canvas->installEventFilter(&counter_);
                counter_.canvas = form_.FormPlot->Canvas;
                counting_ = true;
            }
        } else if (form_.FormPlot) {
            form_.FormPlot->close();
        }
    }

    Figures stream(double baud, double seconds) {
        const std::string text = EightSeriesText();
        device_.startStream(text, static_cast<std::uint64_t>(baud / 10), true); // 8N1: ten bits a byte
        RunFor(500);
        const auto rx0 = form_.st.counters.RxBytes;
        const long paints0 = counter_.paints;
        const double paintMs0 = counter_.paintMs;
        const double cpu0 = CpuSeconds(true);
        Stopwatch wall;
        RunFor(seconds * 1000);
        Figures f;
        const double s = wall.seconds();
        f.guiCpu = (CpuSeconds(true) - cpu0) / s;
        f.linesPerSecond = static_cast<double>(form_.st.counters.RxBytes - rx0) / s * 1000 / text.size();
        f.framesPerSecond = (counter_.paints - paints0) / s;
        if (counter_.paints > paints0) f.paintMs = (counter_.paintMs - paintMs0) / (counter_.paints - paints0);
        device_.stopStream();
        RunFor(300);
        return f;
    }

    void shots(const QString& dir) {
        setPlotOpen(true);
        TFormPlot& plot = *form_.FormPlot;
        const auto save = [&](const char* name) {
            RunFor(400);
            form_.grab().save(dir + QStringLiteral("/main-%1.png").arg(QLatin1String(name)));
            plot.grab().save(dir + QStringLiteral("/plot-%1.png").arg(QLatin1String(name)));
            std::system(qPrintable(
                QStringLiteral("import -window root %1/screen-%2.png 2>/dev/null").arg(dir, QLatin1String(name))));
        };
        device_.startStream(EightSeriesText(), 11520, true);
        RunFor(3000);
        save("design");
        form_.resize(form_.width() + 300, form_.height() + 40);
        plot.resize(700, 420);
        save("resized");
        for (int i = 0; i < 4; ++i) // the fourth scheme: lime on black
            form_.BTPalitraClick();
        save("black");
        form_.BTPalitraClick(); // blue on red
        save("red");
        form_.BTPalitraClick();
        form_.BTPalitraClick();
        device_.stopStream();
        RunFor(300);
    }

    // Fills the plot with `points` samples of 8 series, then times pictures of all of it (and saves one into
    // `shotsDir` when given: the same points every run, so two builds' pictures can be compared pixel for pixel).
    void bigFrame(long points, const QString& shotsDir) {
        setPlotOpen(true);
        TFormPlot& plot = *form_.FormPlot;
        plot.BTClearClick();
        plot.CBSpan->setCurrentIndex(3); // everything kept
        const long rss0 = StatusKb("VmRSS");
        const std::string text = EightSeriesText();
        Stopwatch fill;
        std::int64_t ms = clock_.monotonicMs();
        for (long n = 0; n < points; n += 1000)
            plot.packetPlaced(text, ms++);
        const double fillS = fill.seconds();
        plot.frame();
        const long rss1 = StatusKb("VmRSS");
        std::vector<double> frames;
        for (int i = 0; i < 10; ++i) {
            Stopwatch w;
            plot.Canvas->repaint();
            frames.push_back(w.ms());
        }
        std::sort(frames.begin(), frames.end());
        if (!shotsDir.isEmpty()) {
            plot.Canvas->grab().save(shotsDir + QStringLiteral("/plot-big.png"));
            std::system(qPrintable(QStringLiteral("import -window root %1/screen-big.png 2>/dev/null").arg(shotsDir)));
        }
        std::printf("One frame, %zu points per series x %d series kept, canvas %dx%d: median %.1f ms, best %.1f, worst "
                    "%.1f ms; store memory %.1f MB (RSS %.1f MB after); parsing and storing them took %.2f s (%.0f "
                    "lines/s)\n",
                    plot.store().size(), plot.store().seriesCount(), plot.Canvas->width(), plot.Canvas->height(),
                    frames[frames.size() / 2], frames.front(), frames.back(), (rss1 - rss0) / 1024.0, rss1 / 1024.0,
                    fillS, points / fillS);
    }

private:
    QtSerialDevice serial_;
    std::unique_ptr<PortLister> lister_;
    SystemClock clock_;
    vdev::VirtualDevice& device_;
    TForm1 form_;
    PaintCounter counter_;
    bool counting_ = false;
};

int Run(int argc, char** argv) {
    double seconds = 10;
    int rounds = 1;
    long points = 1000000;
    std::vector<double> bauds = {115200, 921600};
    QString shots;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else if (a == "--shots")
            shots = QString::fromLocal8Bit(argv[i + 1]);
        else if (a == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--points")
            points = std::atol(argv[i + 1]);
        else if (a == "--bauds") {
            bauds.clear();
            for (const char* p = argv[i + 1]; *p;) {
                char* end = nullptr;
                bauds.push_back(std::strtod(p, &end));
                p = *end ? end + 1 : end;
            }
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyApplicationLook(app);
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) return 1;
    vdev::VirtualDevice device(work.path().toStdString() + "/ttyV0");
    if (!device.start()) {
        std::printf("no pseudo-terminal here (%s): nothing measured\n", device.lastError().c_str());
        return 0;
    }
    QuietDialogs dialogs;
    Harness h(dialogs, device, work.path().toStdString());
    std::printf("Trelvo plot benchmark, platform %s (CPU in %% of one core, window's thread)\n",
                qPrintable(QApplication::platformName()));
    RunFor(1000);
    if (!h.connect()) {
        std::fprintf(stderr, "the port did not open\n");
        return 1;
    }
    for (double baud : bauds) {
        std::vector<double> added;
        for (int r = 0; r < rounds; ++r) {
            h.setPlotOpen(false);
            const Figures closed = h.stream(baud, seconds);
            h.setPlotOpen(true);
            const Figures open = h.stream(baud, seconds);
            added.push_back((open.guiCpu - closed.guiCpu) * 100);
            std::printf("%6.0f baud, 8-series lines: %.0f lines/s; CPU plot closed %.2f %%, open %.2f %% (%+.2f); "
                        "%.1f frames/s, %.2f ms to paint one\n",
                        baud, open.linesPerSecond, closed.guiCpu * 100, open.guiCpu * 100, added.back(),
                        open.framesPerSecond, open.paintMs);
            std::fflush(stdout);
        }
        if (rounds > 1) {
            std::sort(added.begin(), added.end());
            std::printf("%6.0f baud, %d rounds: the open plot adds %+.2f %% of a core (median), %+.2f to %+.2f\n", baud,
                        rounds, added[added.size() / 2], added.front(), added.back());
        }
    }
    if (!shots.isEmpty()) h.shots(shots);
    if (points > 0) h.bigFrame(points, shots);
    std::fflush(stdout);
    return 0;
}

} // namespace
} // namespace trelvo::bench

int main(int argc, char** argv) {
    return trelvo::bench::Run(argc, argv);
}
