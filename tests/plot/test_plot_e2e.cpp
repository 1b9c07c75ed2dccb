// The plot through a real pseudo-terminal: the virtual device prints "a:1 b:2" lines, the legend shows both series
// with their last values.

#include "plot/plot_form.h"
#include "support/window_on_device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

using namespace trelvo;
using namespace trelvo::test;

namespace {

class PlotE2E : public WindowOnDeviceTest {};

TEST_F(PlotE2E, LegendShowsTheStreamedSeries) {
    Connect();
    form->BTPlot->click();
    ASSERT_TRUE(form->FormPlot);
    vdev->startStream("a:1 b:2\r\n", 2000, true);
    QTreeWidget* legend = form->FormPlot->Legend;
    QElapsedTimer waited;
    waited.start();
    while (legend->topLevelItemCount() < 2 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    vdev->stopStream();
    ASSERT_EQ(legend->topLevelItemCount(), 2);
    EXPECT_EQ(legend->topLevelItem(0)->text(0), "a");
    EXPECT_EQ(legend->topLevelItem(0)->text(1), "1");
    EXPECT_EQ(legend->topLevelItem(1)->text(0), "b");
    EXPECT_EQ(legend->topLevelItem(1)->text(1), "2");
}

} // namespace

int main(int argc, char** argv) {
    return WindowTestMain(argc, argv);
}
