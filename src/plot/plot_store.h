#pragma once
// The samples of the plot: one per line that held a number, with its time and number, and a value (or a gap) for
// each of at most 16 series. Bounded: the oldest samples go first once `capacity` are kept, so memory is bounded
// however long it runs. No widgets here.

#include "plot/plot_lines.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trelvo {

// A fixed-capacity ring that grows its storage only as it fills.
class PlotRing {
public:
    explicit PlotRing(std::size_t capacity = 0) : capacity_(capacity) {}
    std::size_t size() const { return size_; }
    double operator[](std::size_t i) const { return data_[(head_ + i) % capacity_]; }
    void push(double v);
    void setLast(double v) { data_[(head_ + size_ - 1) % capacity_] = v; } // the newest value; the ring is not empty
    void clear();
    // The kept values [begin, end) as at most two contiguous runs.
    std::pair<std::pair<const double*, const double*>, std::pair<const double*, const double*>>
    runs(std::size_t begin, std::size_t end) const;

private:
    std::size_t capacity_;
    std::vector<double> data_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
};

struct PlotSeries {
    std::string name; // CP1251 bytes as received, or the position of a bare value
    PlotRing values;  // NaN: a gap
    double last = std::numeric_limits<double>::quiet_NaN();
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
};

class PlotStore {
public:
    static constexpr int kMaxSeries = 16;
    static constexpr std::size_t kMaxPoints = 1'000'000;
    static constexpr std::size_t kMaxName = 32;

    explicit PlotStore(std::size_t capacity = kMaxPoints);

    // One line's values at `seconds`; a line without a number adds nothing. Returns whether a sample was added.
    bool add(double seconds, const std::vector<PlotValue>& values);
    // A break in every series at `seconds` (the time nothing was collected ends there); nothing before a first sample.
    void addGap(double seconds);
    void clear();

    std::size_t size() const { return times_.size(); }
    std::size_t capacity() const { return capacity_; }
    double time(std::size_t i) const { return times_[i]; }
    // Counted from 1 since the start or the last clear, so it goes on counting past dropped samples.
    std::int64_t sampleNumber(std::size_t i) const { return dropped_ + static_cast<std::int64_t>(i) + 1; }
    std::int64_t droppedSamples() const { return dropped_; }
    const PlotRing& times() const { return times_; }

    int seriesCount() const { return static_cast<int>(series_.size()); }
    const PlotSeries& series(int s) const { return series_[static_cast<std::size_t>(s)]; }
    // Names seen beyond the 16 series, not plotted.
    const std::vector<std::string>& extraNames() const { return extra_; }

    // The first kept sample whose time is not before `seconds` (size() when there is none).
    std::size_t firstAtOrAfter(double seconds) const;

private:
    int seriesFor(std::string_view name); // -1 when there is no room

    std::size_t capacity_;
    PlotRing times_;
    std::vector<PlotSeries> series_;
    std::vector<std::string> extra_;
    std::int64_t dropped_ = 0;
    std::vector<int> lineSeries_; // scratch: the series of each value of a line
};

} // namespace trelvo
