#pragma once
// What every benchmark of the window needs: running its event loop for a time or until something holds, and the
// percentiles of a set of samples.

#include "process_stats.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace trelvo::bench {

inline void RunFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds (looked at each millisecond) or timeoutMs passed.
inline bool RunUntil(const std::function<bool()>& done, double timeoutMs) {
    Stopwatch w;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || w.ms() > timeoutMs) loop.quit();
    });
    check.start();
    if (!done()) loop.exec();
    return done();
}

struct Percentiles {
    double median = 0, p95 = 0, p99 = 0, max = 0;
};

inline Percentiles Summarise(std::vector<double> v) {
    Percentiles p;
    if (v.empty()) return p;
    std::sort(v.begin(), v.end());
    p.median = v[v.size() / 2];
    p.p95 = v[std::min(v.size() - 1, v.size() * 95 / 100)];
    p.p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    p.max = v.back();
    return p;
}

} // namespace trelvo::bench
