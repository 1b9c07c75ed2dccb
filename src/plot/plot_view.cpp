#include "plot/plot_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace trelvo {

double PlotX(const PlotStore& store, PlotXAxis axis, std::size_t i) {
    return axis == PlotXAxis::Time ? store.time(i) : static_cast<double>(store.sampleNumber(i));
}

std::pair<std::size_t, std::size_t> PlotIndexRange(const PlotStore& store, PlotXAxis axis, PlotRange x) {
    const std::size_t n = store.size();
    if (axis == PlotXAxis::Time) {
        const std::size_t begin = store.firstAtOrAfter(x.lo);
        std::size_t end = store.firstAtOrAfter(x.hi);
        while (end < n && store.time(end) <= x.hi)
            ++end;
        return {begin, end};
    }
    const double first = static_cast<double>(store.sampleNumber(0));
    const auto clampIndex = [n](double v) {
        return static_cast<std::size_t>(std::clamp(v, 0.0, static_cast<double>(n)));
    };
    return {clampIndex(std::ceil(x.lo - first)), clampIndex(std::floor(x.hi - first) + 1)};
}

void PlotColumns(const PlotStore& store, int s, PlotXAxis axis, PlotRange x, int width, std::vector<PlotColumn>& out) {
    out.clear();
    if (width <= 0 || x.hi <= x.lo || s < 0 || s >= store.seriesCount()) return;
    const auto [begin, end] = PlotIndexRange(store, axis, x);
    const PlotRing& values = store.series(s).values;
    const double scale = width / (x.hi - x.lo);
    bool gap = true; // nothing drawn yet, or a gap since the last point
    PlotColumn* col = nullptr;
    // The X of every point: times from their ring, sample numbers counted along.
    const auto [t1, t2] = store.times().runs(begin, end);
    const double* times[2][2] = {{t1.first, t1.second}, {t2.first, t2.second}};
    const auto [v1, v2] = values.runs(begin, end);
    const double* vals[2][2] = {{v1.first, v1.second}, {v2.first, v2.second}};
    double sample = static_cast<double>(store.sampleNumber(begin));
    // Times and values wrap at different points only if their rings differ in length, which they do not.
    for (int run = 0; run < 2; ++run) {
        const double* v = vals[run][0];
        const double* t = times[run][0];
        for (; v != vals[run][1]; ++v, ++t, sample += 1) {
            const double value = *v;
            if (std::isnan(value)) {
                gap = true;
                continue;
            }
            const double xv = axis == PlotXAxis::Time ? *t : sample;
            const int c = std::min(static_cast<int>((xv - x.lo) * scale), width - 1);
            const auto f = static_cast<float>(value);
            if (col && col->column == c) {
                col->last = f;
                col->min = std::min(col->min, f);
                col->max = std::max(col->max, f);
            } else {
                out.push_back({c, f, f, f, f, !gap});
                col = &out.back();
            }
            gap = false;
        }
    }
}

PlotRange AutoRangeY(const std::vector<std::vector<PlotColumn>>& columns, const std::vector<bool>& shown) {
    double lo = INFINITY, hi = -INFINITY;
    for (std::size_t s = 0; s < columns.size(); ++s) {
        if (s < shown.size() && !shown[s]) continue;
        for (const PlotColumn& c : columns[s]) {
            lo = std::min<double>(lo, c.min);
            hi = std::max<double>(hi, c.max);
        }
    }
    if (lo > hi) return {0, 1};
    if (hi - lo < 1e-12 * std::max(1.0, std::abs(hi))) {
        const double half = std::max(0.5, std::abs(hi) * 0.05);
        return {lo - half, hi + half};
    }
    const double margin = (hi - lo) * 0.05;
    return {lo - margin, hi + margin};
}

std::vector<double> PlotTicks(PlotRange r, int pixels, int spacing) {
    std::vector<double> ticks;
    const double span = r.hi - r.lo;
    if (!(span > 0) || pixels <= 0 || spacing <= 0 || !std::isfinite(span)) return ticks;
    const double rough = span / std::max(1, pixels / spacing);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    // Each tick a whole multiple of the step, not a sum of steps: the same tick gets the same value every picture.
    for (double k = std::ceil(r.lo / step); k * step <= r.hi && ticks.size() < 100; ++k)
        ticks.push_back(k == 0 ? 0.0 : k * step);
    return ticks;
}

int PlotFrameGapMs(std::size_t newSamples, double scrollPixelsPerSecond, double lastPaintMs) {
    constexpr int kFastMs = 45, kSlowMs = 100;
    constexpr std::size_t kFastSamples = 40;
    constexpr double kFastScroll = 100;
    const int gap = newSamples >= kFastSamples || scrollPixelsPerSecond >= kFastScroll ? kFastMs : kSlowMs;
    return std::max(gap, static_cast<int>(std::min(4 * lastPaintMs, 10000.0)));
}

std::string PlotNumberText(double v) {
    if (std::isnan(v)) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

namespace {

double Channel(int c) {
    const double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(PlotRgb c) {
    return 0.2126 * Channel(c.r) + 0.7152 * Channel(c.g) + 0.0722 * Channel(c.b);
}

PlotRgb Mix(PlotRgb a, PlotRgb b, double t) {
    const auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

} // namespace

double ContrastRatio(PlotRgb a, PlotRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

PlotRgb SeriesColour(int index, PlotRgb background) {
    // Sixteen hues in an order where neighbours differ most.
    static const PlotRgb kHues[16] = {{31, 119, 180},  {255, 127, 14}, {44, 160, 44},   {214, 39, 40},
                                      {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {127, 127, 127},
                                      {188, 189, 34},  {23, 190, 207}, {0, 0, 139},     {255, 215, 0},
                                      {0, 128, 128},   {128, 0, 0},    {85, 107, 47},   {255, 0, 255}};
    const PlotRgb hue = kHues[static_cast<std::size_t>(std::clamp(index, 0, 15))];
    // A hue brighter than the background is made lighter, a darker one darker, until it reads as a line; on a
    // background of middle brightness (red, aqua) the hues thus part into light and dark ones and stay apart. Where
    // that way cannot reach the contrast, the other way is taken.
    const auto towards = [&](PlotRgb end) {
        PlotRgb c = hue;
        for (int step = 1; step <= 10 && ContrastRatio(c, background) < 3.0; ++step)
            c = Mix(hue, end, step / 10.0);
        return c;
    };
    const bool lighter = Luminance(hue) > Luminance(background);
    const PlotRgb first = towards(lighter ? PlotRgb{255, 255, 255} : PlotRgb{0, 0, 0});
    if (ContrastRatio(first, background) >= 3.0) return first;
    const PlotRgb other = towards(lighter ? PlotRgb{0, 0, 0} : PlotRgb{255, 255, 255});
    return ContrastRatio(other, background) > ContrastRatio(first, background) ? other : first;
}

std::string PlotCsv(const PlotStore& store) {
    std::string csv = "time_s,sample";
    for (int s = 0; s < store.seriesCount(); ++s) {
        csv += ",\"";
        for (char ch : store.series(s).name) {
            if (ch == '"') csv += '"';
            csv += ch;
        }
        csv += '"';
    }
    csv += "\r\n";
    char field[40];
    for (std::size_t i = 0; i < store.size(); ++i) {
        std::snprintf(field, sizeof field, "%.3f,%lld", store.time(i), static_cast<long long>(store.sampleNumber(i)));
        csv += field;
        for (int s = 0; s < store.seriesCount(); ++s) {
            csv += ',';
            const double v = store.series(s).values[i];
            if (std::isnan(v)) continue;
            // The shortest text that reads back as the same number.
            const auto r = std::to_chars(field, field + sizeof field, v);
            csv.append(field, r.ptr);
        }
        csv += "\r\n";
    }
    return csv;
}

} // namespace trelvo
