#include "plot/plot_canvas.h"

#include "common/cp1251.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace trelvo {
namespace {

constexpr int kLeft = 64, kRight = 12, kTop = 10, kBottom = 22; // room for the axes' figures

QColor Mixed(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QString Text(double v) {
    return QString::fromStdString(PlotNumberText(v));
}

// The smallest rectangle that holds every pixel not of the background.
QRect InkRect(const QImage& image, QRgb background) {
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

PlotCanvas::PlotCanvas(const PlotStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("PlotCanvas"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: nothing beneath needs painting first
    setMinimumSize(200, 120);
    setColours(background_, text_);
}

void PlotCanvas::setAxis(PlotXAxis axis) {
    axis_ = axis;
    if (!follow_) setAutoScale(true); // a zoom in the other axis's units means nothing now
    update();
}

void PlotCanvas::setSpan(double spanSeconds) {
    span_ = spanSeconds;
    update();
}

void PlotCanvas::setStandAt(std::optional<double> seconds) {
    standAt_ = seconds;
    update();
}

void PlotCanvas::setAutoScale(bool on) {
    if (on == autoScale()) return;
    if (on) {
        follow_ = autoY_ = true;
    } else {
        // Off by the user: the picture keeps the Y it has, X goes on following.
        autoY_ = false;
        manualY_ = lastY_;
    }
    update();
    emit autoScaleChanged(autoScale());
}

void PlotCanvas::setShown(int series, bool shown) {
    if (series < 0) return;
    if (hidden_.size() <= static_cast<std::size_t>(series)) hidden_.resize(static_cast<std::size_t>(series) + 1);
    hidden_[static_cast<std::size_t>(series)] = !shown;
    update();
}

bool PlotCanvas::shown(int series) const {
    return series < 0 || static_cast<std::size_t>(series) >= hidden_.size() ||
           !hidden_[static_cast<std::size_t>(series)];
}

void PlotCanvas::setColours(const QColor& background, const QColor& text) {
    background_ = background;
    text_ = text;
    figures_.clear();
    colours_.clear();
    const PlotRgb bg{background.red(), background.green(), background.blue()};
    for (int s = 0; s < PlotStore::kMaxSeries; ++s) {
        const PlotRgb c = SeriesColour(s, bg);
        colours_.emplace_back(c.r, c.g, c.b);
    }
    update();
}

QColor PlotCanvas::seriesColour(int series) const {
    return colours_[static_cast<std::size_t>(std::clamp(series, 0, PlotStore::kMaxSeries - 1))];
}

QRect PlotCanvas::plotArea(QSize size) const {
    return QRect(kLeft, kTop, std::max(1, size.width() - kLeft - kRight), std::max(1, size.height() - kTop - kBottom));
}

PlotRange PlotCanvas::followX() const {
    const std::size_t n = store_.size();
    if (n == 0) return {0, axis_ == PlotXAxis::Time ? std::max(span_, 1.0) : 10};
    // The newest sample shown: the last one, or the last at the pause.
    std::size_t last = n - 1;
    if (standAt_) {
        const std::size_t after = store_.firstAtOrAfter(*standAt_ + 1e-9);
        if (after == 0) return {0, 1};
        last = after - 1;
    }
    const double end = store_.time(last);
    if (axis_ == PlotXAxis::Time) {
        const double start = span_ > 0 ? end - span_ : store_.time(0);
        return {start, std::max(end, start + 1e-3)};
    }
    const std::size_t first = span_ > 0 ? store_.firstAtOrAfter(end - span_) : 0;
    const double lo = static_cast<double>(store_.sampleNumber(first));
    const double hi = static_cast<double>(store_.sampleNumber(last));
    return {lo, std::max(hi, lo + 1)};
}

double PlotCanvas::scrollPixelsPerSecond() const {
    if (!follow_ || standAt_ || span_ <= 0) return 0;
    return plotArea(size()).width() / span_;
}

PlotRange PlotCanvas::rangeX() const {
    return follow_ ? followX() : manualX_;
}

void PlotCanvas::computeColumns(PlotRange x, int width) {
    columns_.resize(static_cast<std::size_t>(store_.seriesCount()));
    for (int s = 0; s < store_.seriesCount(); ++s) {
        auto& cols = columns_[static_cast<std::size_t>(s)];
        if (shown(s))
            PlotColumns(store_, s, axis_, x, width, cols);
        else
            cols.clear();
    }
}

void PlotCanvas::render(QPainter& p, QSize size) {
    const QRect area = plotArea(size);
    p.fillRect(QRect(QPoint(0, 0), size), background_);
    const PlotRange x = rangeX();
    computeColumns(x, area.width());
    shownList_.resize(static_cast<std::size_t>(store_.seriesCount()));
    for (int s = 0; s < store_.seriesCount(); ++s)
        shownList_[static_cast<std::size_t>(s)] = shown(s);
    const PlotRange y = autoY_ && follow_ ? AutoRangeY(columns_, shownList_) : manualY_;
    lastX_ = x;
    lastY_ = y;
    const double ky = area.height() / (y.hi - y.lo);
    const auto py = [&](double v) { return area.bottom() + 1 - (v - y.lo) * ky; };
    const double kx = area.width() / (x.hi - x.lo);
    const auto px = [&](double v) { return area.left() + (v - x.lo) * kx; };

    // Grid and figures. The grid's lines are one-pixel rectangles: a filled rectangle costs far less than a line.
    const QColor grid = Mixed(background_, text_, 0.18);
    p.setFont(font());
    p.setPen(text_);
    const int fh = QFontMetrics(p.font()).height();
    for (double t : PlotTicks(y, area.height(), 40)) {
        const int at = static_cast<int>(std::lround(py(t)));
        p.fillRect(QRect(area.left(), at, area.width(), 1), grid);
        drawFigure(p, QRect(0, at - fh / 2, kLeft - 6, fh), Qt::AlignRight | Qt::AlignVCenter, t);
    }
    for (double t : PlotTicks(x, area.width(), 90)) {
        const int at = static_cast<int>(std::lround(px(t)));
        p.fillRect(QRect(at, area.top(), 1, area.height()), grid);
        drawFigure(p, QRect(at - 45, area.bottom() + 4, 90, fh), Qt::AlignHCenter | Qt::AlignTop, t);
    }
    for (const QRect& side :
         {QRect(area.left(), area.top(), area.width(), 1), QRect(area.left(), area.bottom(), area.width(), 1),
          QRect(area.left(), area.top(), 1, area.height()), QRect(area.right(), area.top(), 1, area.height())})
        p.fillRect(side, text_);

    // The series: per column a bar from its minimum to its maximum, stretched to the last value of the column
    // before when that one is its neighbour; a line only across empty columns. Dense curves are then filled
    // rectangles one pixel wide, which cost far less than as many short line segments.
    p.save();
    p.setClipRect(area);
    const auto row = [&](float v) { return static_cast<int>(std::floor(py(v))); };
    for (int s = 0; s < store_.seriesCount(); ++s) {
        const QColor colour = seriesColour(s);
        p.setPen(QPen(colour, 1));
        int prevColumn = -2, prevLast = 0;
        for (const PlotColumn& c : columns_[static_cast<std::size_t>(s)]) {
            int top = row(c.max), bottom = row(c.min);
            if (c.joined && prevColumn >= 0) {
                if (c.column == prevColumn + 1) {
                    top = std::min(top, prevLast);
                    bottom = std::max(bottom, prevLast);
                } else {
                    p.drawLine(area.left() + prevColumn, prevLast, area.left() + c.column, row(c.first));
                }
            }
            p.fillRect(area.left() + c.column, top, 1, bottom - top + 1, colour);
            prevColumn = c.column;
            prevLast = row(c.last);
        }
    }
    if (pointerX_ >= area.left() && pointerX_ <= area.right()) {
        p.setPen(QPen(text_, 1, Qt::DashLine));
        p.drawLine(pointerX_, area.top(), pointerX_, area.bottom());
    }
    if (dragButton_ == Qt::LeftButton) {
        p.setPen(QPen(text_, 1, Qt::DotLine));
        p.drawRect(QRect(dragFrom_, dragTo_).normalized());
    }
    p.restore();
}

void PlotCanvas::drawFigure(QPainter& p, const QRect& rect, int flags, double value) {
    const QPaintDevice* device = p.device();
    if (!device || device->devicePixelRatio() != 1) { // an image of its own would not match pixel for pixel
        p.drawText(rect, flags, Text(value));
        return;
    }
    // A figure's rectangle depends only on its axis (the flags) and the font's height.
    if (p.font() != figuresFont_ || figures_.size() > 256) { // the time axis brings new figures all along
        figures_.clear();
        figuresFont_ = p.font();
    }
    const std::pair<double, int> key(value, flags);
    auto it = figures_.find(key);
    if (it == figures_.end()) {
        const QString text = Text(value);
        QImage image(rect.size(), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(device->logicalDpiX() / 0.0254)); // the same font size as on the device
        image.setDotsPerMeterY(qRound(device->logicalDpiY() / 0.0254));
        image.fill(background_);
        {
            QPainter ip(&image);
            ip.setFont(p.font());
            ip.setPen(text_);
            ip.drawText(QRect(QPoint(0, 0), rect.size()), flags, text);
        }
        const QRect ink = InkRect(image, background_.rgb());
        it = figures_.insert(key, Figure{ink.isEmpty() ? QImage() : image.copy(ink), ink.topLeft()});
    }
    if (!it->image.isNull()) p.drawImage(rect.topLeft() + it->at, it->image);
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    QElapsedTimer timer;
    timer.start();
    QPainter p(this);
    render(p, size());
    lastPaintMs_ = static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double PlotCanvas::xAt(int px) const {
    const QRect area = plotArea(size());
    return lastX_.lo + (px - area.left()) * (lastX_.hi - lastX_.lo) / area.width();
}

double PlotCanvas::yAt(int py) const {
    const QRect area = plotArea(size());
    return lastY_.lo + (area.bottom() + 1 - py) * (lastY_.hi - lastY_.lo) / area.height();
}

void PlotCanvas::takeManual(PlotRange x, PlotRange y) {
    if (!(x.hi > x.lo) || !(y.hi > y.lo)) return;
    const bool was = autoScale();
    follow_ = autoY_ = false;
    manualX_ = x;
    manualY_ = y;
    update();
    if (was) emit autoScaleChanged(false);
}

void PlotCanvas::wheelEvent(QWheelEvent* e) {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const double f = std::pow(0.8, steps); // away from the user: closer in
    const QPoint at = e->position().toPoint();
    const double cx = xAt(at.x()), cy = yAt(at.y());
    takeManual({cx - (cx - lastX_.lo) * f, cx + (lastX_.hi - cx) * f},
               {cy - (cy - lastY_.lo) * f, cy + (lastY_.hi - cy) * f});
    e->accept();
}

void PlotCanvas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
    dragButton_ = e->button();
    dragFrom_ = dragTo_ = e->position().toPoint();
    dragX_ = lastX_;
    dragY_ = lastY_;
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    pointerX_ = at.x();
    if (dragButton_ == Qt::RightButton) {
        const QRect area = plotArea(size());
        const double dx = (at.x() - dragFrom_.x()) * (dragX_.hi - dragX_.lo) / area.width();
        const double dy = (at.y() - dragFrom_.y()) * (dragY_.hi - dragY_.lo) / area.height();
        takeManual({dragX_.lo - dx, dragX_.hi - dx}, {dragY_.lo + dy, dragY_.hi + dy});
    }
    dragTo_ = at;
    update();
    emit hovered(valuesAt(xAt(at.x())));
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != dragButton_) return;
    const QRect band = QRect(dragFrom_, e->position().toPoint()).normalized();
    if (dragButton_ == Qt::LeftButton && band.width() > 4 && band.height() > 4)
        takeManual({xAt(band.left()), xAt(band.right())}, {yAt(band.bottom()), yAt(band.top())});
    dragButton_ = Qt::NoButton;
    update();
}

void PlotCanvas::mouseDoubleClickEvent(QMouseEvent*) {
    setAutoScale(true);
}

void PlotCanvas::leaveEvent(QEvent*) {
    pointerX_ = -1;
    update();
    emit hovered(QString());
}

QString PlotCanvas::valuesAt(double x) const {
    const std::size_t n = store_.size();
    if (n == 0) return {};
    std::size_t i = 0;
    if (axis_ == PlotXAxis::Time) {
        i = std::min(store_.firstAtOrAfter(x), n - 1);
        if (i > 0 && std::abs(store_.time(i - 1) - x) <= std::abs(store_.time(i) - x)) --i;
    } else {
        const double first = static_cast<double>(store_.sampleNumber(0));
        i = static_cast<std::size_t>(std::clamp(std::round(x - first), 0.0, static_cast<double>(n - 1)));
    }
    QString text = QStringLiteral("t = %1 с, № %2:").arg(store_.time(i), 0, 'f', 3).arg(store_.sampleNumber(i));
    for (int s = 0; s < store_.seriesCount(); ++s) {
        if (!shown(s)) continue;
        text += QStringLiteral("  %1 = %2").arg(FromCp1251(store_.series(s).name), Text(store_.series(s).values[i]));
    }
    return text;
}

} // namespace trelvo
