#include "plot/plot_store.h"

#include <algorithm>
#include <cmath>

namespace trelvo {

void PlotRing::push(double v) {
    if (capacity_ == 0) return;
    if (data_.size() < capacity_) {
        data_.push_back(v); // head_ is 0 until the ring is full
        ++size_;
        return;
    }
    data_[(head_ + size_) % capacity_] = v;
    if (size_ == capacity_)
        head_ = (head_ + 1) % capacity_;
    else
        ++size_;
}

void PlotRing::clear() {
    data_.clear();
    data_.shrink_to_fit(); // a cleared plot gives its memory back
    head_ = size_ = 0;
}

std::pair<std::pair<const double*, const double*>, std::pair<const double*, const double*>>
PlotRing::runs(std::size_t begin, std::size_t end) const {
    end = std::min(end, size_);
    if (begin >= end) return {};
    const double* base = data_.data();
    const std::size_t a = (head_ + begin) % capacity_;
    const std::size_t n = end - begin;
    if (a + n <= data_.size()) return {{base + a, base + a + n}, {}};
    const std::size_t first = data_.size() - a;
    return {{base + a, base + data_.size()}, {base, base + (n - first)}};
}

PlotStore::PlotStore(std::size_t capacity) : capacity_(capacity), times_(capacity) {}

int PlotStore::seriesFor(std::string_view name) {
    for (std::size_t s = 0; s < series_.size(); ++s)
        if (series_[s].name == name) return static_cast<int>(s);
    if (series_.size() >= kMaxSeries) {
        if (std::find(extra_.begin(), extra_.end(), name) == extra_.end() && extra_.size() < 1000)
            extra_.emplace_back(name);
        return -1;
    }
    PlotSeries s{std::string(name), PlotRing(capacity_)};
    // A series that appears later has a gap at every sample kept before it.
    for (std::size_t i = 0; i < times_.size(); ++i)
        s.values.push(std::nan(""));
    series_.push_back(std::move(s));
    return static_cast<int>(series_.size()) - 1;
}

bool PlotStore::add(double seconds, const std::vector<PlotValue>& values) {
    lineSeries_.assign(values.size(), -1);
    bool any = false;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const PlotValue& v = values[k];
        if (std::isnan(v.value)) continue; // a gap creates no series
        std::string positional;
        std::string_view name = v.name.substr(0, kMaxName);
        if (v.name.empty()) {
            positional = std::to_string(v.position);
            name = positional;
        }
        lineSeries_[k] = seriesFor(name);
        any = any || lineSeries_[k] >= 0;
    }
    if (!any) return false;
    if (times_.size() == capacity_) ++dropped_;
    times_.push(seconds);
    for (PlotSeries& s : series_)
        s.values.push(std::nan(""));
    // Written over the gaps just pushed: the newest slot of each ring.
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (lineSeries_[k] < 0) continue;
        PlotSeries& s = series_[static_cast<std::size_t>(lineSeries_[k])];
        const double v = values[k].value;
        s.values.setLast(v);
        s.last = v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    }
    return true;
}

void PlotStore::addGap(double seconds) {
    if (times_.size() == 0) return;
    if (times_.size() == capacity_) ++dropped_;
    times_.push(seconds);
    for (PlotSeries& s : series_)
        s.values.push(std::nan(""));
}

void PlotStore::clear() {
    times_.clear();
    series_.clear();
    extra_.clear();
    dropped_ = 0;
}

std::size_t PlotStore::firstAtOrAfter(double seconds) const {
    std::size_t lo = 0, hi = times_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (times_[mid] < seconds)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace trelvo
