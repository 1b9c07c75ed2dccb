// Command library benchmark: load, compare and save of a full library (every field filled to its capacity), and
// the start-up of the main window to shown with a full library and a full history against one with neither file.
// Prints medians and spreads; asserts nothing.
//
//   trelvo-bench-library [--runs N]
//   trelvo-bench-library --write-full-library DIR   (writes the full library and history into DIR and ends)
//
// Runs in temporary directories, on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "app/appearance.h"
#include "app/form1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "library/cmd_config_file.h"
#include "full_library.h"
#include "quiet_dialogs.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"
#include "transmit/history.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace trelvo;
using trelvo::bench::FillLibrary;
using trelvo::bench::FullHistoryFile;

namespace {

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double TimeMs(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return Ms(std::chrono::steady_clock::now() - t0);
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-48s median %7.2f ms   min %7.2f   max %7.2f   (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
}

void CoreFigures(int runs) {
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "CmdConfig";
    CmdStore full;
    FillLibrary(full);
    CmdConfigFile f(file);
    if (!f.save(full).ok) std::printf("  the first save failed\n");
    std::vector<double> load, compare, save;
    for (int n = 0; n < runs; ++n) {
        CmdStore s;
        load.push_back(TimeMs([&] { f.load(s, LocalTime{}); }));
        bool changed = true;
        compare.push_back(TimeMs([&] { changed = f.changed(s).changed; }));
        if (changed) std::printf("  the comparison found a difference where there is none\n");
        save.push_back(TimeMs([&] { f.save(s); }));
    }
    std::printf("A full library (%zu bytes, every field filled):\n", kCmdConfigSize);
    Report("LoadCmdStore", load);
    Report("CmdStoreChanged (no difference: reads all)", compare);
    Report("SaveCmdStore (written safely, flushed to disk)", save);
}

// From constructing the main window to its being shown on the screen.
double StartUpMs(const QString& dirPath) {
    const QString old = QDir::currentPath();
    QDir::setCurrent(dirPath);
    bench::QuietDialogs dialogs(/*silent=*/true);
    QtSerialDevice serial;
    const std::unique_ptr<PortLister> ports = MakeSystemPortLister();
    SystemClock clock;
    const auto t0 = std::chrono::steady_clock::now();
    double ms = 0;
    {
        TForm1 form(Services{serial, *ports, clock, dialogs});
        form.show();
        while (!form.windowHandle() || !form.windowHandle()->isExposed())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents();
        ms = Ms(std::chrono::steady_clock::now() - t0);
    }
    QDir::setCurrent(old);
    return ms;
}

void StartUpFigures(int runs) {
    CmdStore full;
    FillLibrary(full);
    const Bytes history = FullHistoryFile();
    std::vector<double> withFiles, without;
    StartUpMs(QTemporaryDir().path()); // the first window pays for fonts and styles once
    for (int n = 0; n < runs; ++n) {
        QTemporaryDir a, b;
        if (!bench::WriteFullLibrary(a.path(), full, history)) std::printf("  the library was not written\n");
        withFiles.push_back(StartUpMs(a.path()));
        without.push_back(StartUpMs(b.path()));
    }
    std::printf("Start-up to the shown main window:\n");
    Report("full library and full history", withFiles);
    Report("neither file (both written anew)", without);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        // For measurements from outside (the peer comparison): a full library and history in DIR, nothing else.
        if (std::strcmp(argv[i], "--write-full-library") == 0) {
            CmdStore full;
            FillLibrary(full);
            return bench::WriteFullLibrary(QString::fromLocal8Bit(argv[i + 1]), full, FullHistoryFile()) ? 0 : 1;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyApplicationLook(app);
    CoreFigures(runs);
    StartUpFigures(runs);
    return 0;
}
