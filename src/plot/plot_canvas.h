#pragma once
// The plot itself: a widget that paints each pixel column's minimum and maximum of every shown series, with axes,
// a grid and the pointer's line. It follows the newest samples (or stands at a pause), scales Y to what it shows,
// and lets the user zoom (wheel, a drag of the left button), pan (right button) and go back (double click).

#include "plot/plot_store.h"
#include "plot/plot_view.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

namespace trelvo {

class PlotCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit PlotCanvas(const PlotStore& store, QWidget* parent = nullptr);

    // What the X axis counts, and how much of it is shown while following: the last `spanSeconds` (0: everything).
    void setAxis(PlotXAxis axis);
    PlotXAxis axis() const { return axis_; }
    void setSpan(double spanSeconds);
    // Pause: the picture stands at the newest sample kept now; nullopt follows again.
    void setStandAt(std::optional<double> seconds);
    // Autoscale: X follows and Y fits what is shown. Turned off by a zoom or a pan (the canvas says so).
    void setAutoScale(bool on);
    bool autoScale() const { return follow_ && autoY_; }
    void setShown(int series, bool shown);
    bool shown(int series) const;
    void setColours(const QColor& background, const QColor& text);
    QColor seriesColour(int series) const;

    // The ranges the next picture shows.
    PlotRange rangeX() const;
    // Paints the whole plot at `size` (the widget's own painting, the PNG export, the benchmark).
    void render(QPainter& p, QSize size);
    // How many pixels a second the picture moves while it follows the newest samples (0: it stands or only shrinks).
    double scrollPixelsPerSecond() const;
    // How long the last picture took to paint, in ms.
    double lastPaintMs() const { return lastPaintMs_; }
    // The values of every series at X value `x` (the nearest sample), as one line of text.
    QString valuesAt(double x) const;

signals:
    void autoScaleChanged(bool on);
    void hovered(const QString& text); // empty when the pointer left

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;

private:
    QRect plotArea(QSize size) const;
    PlotRange followX() const;
    void computeColumns(PlotRange x, int width);
    void takeManual(PlotRange x, PlotRange y); // a zoom or a pan
    void drawFigure(QPainter& p, const QRect& rect, int flags, double value);
    double xAt(int px) const;
    double yAt(int py) const;

    const PlotStore& store_;
    PlotXAxis axis_ = PlotXAxis::Time;
    double span_ = 10;
    std::optional<double> standAt_;
    bool follow_ = true, autoY_ = true;
    PlotRange manualX_, manualY_;
    std::vector<bool> hidden_;
    QColor background_{Qt::white}, text_{Qt::black};
    std::vector<QColor> colours_;
    // Of the last picture: its ranges, and the columns of each series.
    PlotRange lastX_, lastY_;
    std::vector<std::vector<PlotColumn>> columns_;
    // The pointer: where a drag started and which button, and where the pointer is (-1: outside).
    QPoint dragFrom_, dragTo_;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    PlotRange dragX_, dragY_;
    int pointerX_ = -1;
    double lastPaintMs_ = 0;
    // The axes' figures, each drawn once into an image of its own (only its ink) and copied from then on: laying
    // out and drawing text each picture cost about as much as the curves. Dropped when the font or colours change.
    struct Figure {
        QImage image;
        QPoint at; // within the figure's rectangle
    };
    QHash<std::pair<double, int>, Figure> figures_; // by value and axis (the flags)
    QFont figuresFont_;
    std::vector<bool> shownList_; // kept from picture to picture: painting one allocates nothing
};

} // namespace trelvo
