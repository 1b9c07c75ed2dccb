#pragma once
// The plot window ("График"): the numbers of the received entries as curves, live while it is open. Open, it is the
// receive path's packet tap; closed, nobody listens and a packet costs the receive path nothing. One instance, kept
// to the end; closing only hides it, and the points collected so far stay.

#include "plot/plot_lines.h"
#include "plot/plot_store.h"
#include "receive/packet_tap.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace trelvo {

class Clock;
class Dialogs;
class PlotCanvas;

class TFormPlot final : public QWidget, public PacketTap {
    Q_OBJECT
public:
    // attach: called with this window when it opens and with null when it closes (the receive path's tap).
    // colours: the log view whose colours the plot takes.
    TFormPlot(Clock& clock, Dialogs& dialogs, std::function<void(PacketTap*)> attach, QWidget* colours,
              QWidget* parent = nullptr);
    ~TFormPlot() override;

    void packetPlaced(std::string_view bytes, std::int64_t monotonicMs) override;

    // Shows the window, or brings it to the front.
    void open();
    const PlotStore& store() const { return store_; }
    bool paused() const { return paused_; }
    // Draws and updates the legend now, as the next frame would.
    void frame();
    // Where the exports ask for a file: (caption, filter) -> path, empty when cancelled.
    std::function<QString(const QString&, const QString&)> chooseSavePath;

    PlotCanvas* Canvas;
    QPushButton* BTPause;
    QPushButton* BTClear;
    QCheckBox* CBAutoScale;
    QComboBox* CBXAxis;
    QComboBox* CBSpan;
    QPushButton* BTCsv;
    QPushButton* BTPng;
    QTreeWidget* Legend;
    QLabel* STValues; // the values under the pointer
    QLabel* STExtra;  // series beyond the 16 plotted

    void BTPauseClick();
    void BTClearClick();
    void BTCsvClick();
    void BTPngClick();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addLine(std::string_view line, std::int64_t placedMs);
    void scheduleFrame();
    void updateLegend();
    void takeColours();
    void writeFile(const QString& path, std::string_view bytes);

    Clock& clock_;
    Dialogs& dialogs_;
    std::function<void(PacketTap*)> attach_;
    QWidget* colourSource_;
    PlotStore store_;
    PlotLineSplitter splitter_;
    std::vector<PlotValue> values_; // scratch for one line
    std::int64_t originMs_ = -1;    // the monotonic ms of time 0: the first opening, or the last clear
    double lastSeconds_ = 0;
    bool paused_ = false;
    bool attached_ = false;  // the receive path's tap
    bool staleSeen_ = false; // a part line was found due once; the next look ends it
    bool changed_ = false;   // samples came since the last frame
    std::size_t newSamples_ = 0; // how many
    bool legendDue_ = false; // the legend has figures to show
    std::int64_t lastFrameMs_ = 0;
    std::int64_t lastLegendMs_ = 0;
    QTimer* frameTimer_;
};

} // namespace trelvo
