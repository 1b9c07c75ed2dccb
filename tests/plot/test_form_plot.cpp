// The plot window on the main window's receive path: what it collects while open and not while closed, and a pause
// that stands the picture still while the points keep coming.

#include "plot/plot_canvas.h"
#include "plot/plot_form.h"
#include "support/form_fixture.h"

#include <QTreeWidget>

using namespace trelvo;
using namespace trelvo::test;

class TestFormPlot : public QObject {
    Q_OBJECT
private slots:
    void collectsWhileOpenOnlyAndPauseKeepsCollecting() {
        FormFixture fx;
        TForm1& f = fx.connect();
        f.RBHEX->click(); // the plot reads the device's bytes, whatever the log shows of them
        // A line every 200 ms.
        const auto packet = [&](const std::string& bytes) {
            fx.clock.advance(200);
            fx.serial.incoming += bytes;
            fx.clock.advance(1);
            f.RxTimerTimer();
            fx.clock.advance(1);
            f.RxTimerTimer();
        };
        QCOMPARE(f.BTPlot->text(), QString::fromUtf8("График"));
        QCOMPARE(f.BTPlot->geometry().right() < f.StaticText3->x(), true);

        QVERIFY(ShowActive(f));
        QTest::keyClick(&f, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(f.FormPlot && f.FormPlot->isVisible());
        packet("1 h:9\r\na:1 b:2\r\n"); // the rest of a line begun before the plot opened is no sample
        f.FormPlot->frame();
        QCOMPARE(f.FormPlot->store().size(), 1u);
        QCOMPARE(f.FormPlot->Legend->topLevelItemCount(), 2);
        QCOMPARE(f.FormPlot->Legend->topLevelItem(1)->text(1), QStringLiteral("2"));

        f.FormPlot->close();
        packet("a:3\r\n");
        QCOMPARE(f.FormPlot->store().size(), 1u);

        f.BTPlot->click();
        packet("9\r\n");
        const PlotRange before = f.FormPlot->Canvas->rangeX();
        f.FormPlot->BTPause->click();
        fx.clock.advance(5000);
        packet("a:4\r\n");
        QCOMPARE(f.FormPlot->store().series(0).last, 4.0); // collected while paused
        QCOMPARE(f.FormPlot->Canvas->rangeX(), before);
        f.FormPlot->BTPause->click();
        QVERIFY(f.FormPlot->Canvas->rangeX().hi > before.hi);
    }
};

QTEST_MAIN(TestFormPlot)
#include "test_form_plot.moc"
