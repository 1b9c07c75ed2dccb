#pragma once
// What the plot shows of the store: the range of the X axis (time or sample number) and of Y, each pixel column's
// minimum and maximum of a series, the ticks of an axis, the colours of the series on a given background, and the
// points as CSV. No widgets here: the canvas only paints what these functions give.

#include "plot/plot_store.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trelvo {

enum class PlotXAxis { Time, Sample };

struct PlotRange {
    double lo = 0, hi = 1;
    bool operator==(const PlotRange&) const = default;
};

// The X value of kept sample i on the chosen axis.
double PlotX(const PlotStore& store, PlotXAxis axis, std::size_t i);
// The kept samples [begin, end) whose X lies within `x`.
std::pair<std::size_t, std::size_t> PlotIndexRange(const PlotStore& store, PlotXAxis axis, PlotRange x);

// One pixel column of one series: the first and last value drawn in it and the extremes between. `joined`: the
// line comes to this column from the previous column that has points, with no gap between.
struct PlotColumn {
    int column = 0;
    float first = 0, last = 0, min = 0, max = 0;
    bool joined = false;
};

// The columns of series `s` over `width` pixels for the X range `x` (every point is looked at once).
void PlotColumns(const PlotStore& store, int s, PlotXAxis axis, PlotRange x, int width, std::vector<PlotColumn>& out);

// The Y range that shows every column given, with a margin; a flat or empty set gets a range around it.
PlotRange AutoRangeY(const std::vector<std::vector<PlotColumn>>& columns, const std::vector<bool>& shown);

// Round tick values within `r`, about one per `pixels / spacing`.
std::vector<double> PlotTicks(PlotRange r, int pixels, int spacing);
// How long after the last picture the next one is due while samples come in, in ms. The picture changes by what
// came: a slow stream (few new samples, a view that moves a few pixels a second) waits up to 100 ms, so it costs
// 10 pictures a second; 40 new samples or a view that scrolls 100 pixels a second or more get 22 a second. After a
// slow picture four times its time passes first, so that the window's thread keeps four fifths of its time.
int PlotFrameGapMs(std::size_t newSamples, double scrollPixelsPerSecond, double lastPaintMs);
// A value as the legend and the axes write it: up to 6 significant digits, no exponent for everyday sizes.
std::string PlotNumberText(double v);

// A colour as red, green, blue.
struct PlotRgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const PlotRgb&) const = default;
};
// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(PlotRgb a, PlotRgb b);
// The colour of series `index` (0..15) on `background`: a distinct hue made lighter or darker until it stands out.
PlotRgb SeriesColour(int index, PlotRgb background);

// The kept points as CSV: "time_s,sample" and one column per series (names quoted), then a row per sample; a gap
// is an empty field. Text in the code page of the names.
std::string PlotCsv(const PlotStore& store);

} // namespace trelvo
