#pragma once
// CPU time and memory of this process as Linux reports them. The benchmarks are built on POSIX systems only.

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>

namespace trelvo::bench {

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// User plus system time in seconds: of the calling thread alone (RUSAGE_THREAD, Linux) or of the whole process.
inline double CpuSeconds(bool thisThreadOnly) {
    rusage u{};
#ifdef RUSAGE_THREAD
    getrusage(thisThreadOnly ? RUSAGE_THREAD : RUSAGE_SELF, &u);
#else
    (void)thisThreadOnly;
    getrusage(RUSAGE_SELF, &u);
#endif
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 where there is no such file.
inline long StatusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Peak resident memory in kB: VmHWM, or getrusage's maxrss where /proc is missing.
inline long PeakKb() {
    const long hwm = StatusKb("VmHWM");
    if (hwm >= 0) return hwm;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Starts the peak over from the present size (Linux 4.0 and later). False where that is not possible: the peak
// then covers the whole run so far.
inline bool ResetPeak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

// A monotonic stopwatch with microsecond resolution.
class Stopwatch {
public:
    using Clock = std::chrono::steady_clock;
    Stopwatch() : start_(Clock::now()) {}
    void restart() { start_ = Clock::now(); }
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    double ms() const { return seconds() * 1000.0; }

private:
    Clock::time_point start_;
};

inline double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace trelvo::bench
