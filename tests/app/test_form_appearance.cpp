// The real main window resized, its colour schemes and its log font.

#include "app/info_form.h"
#include "app/updown.h"
#include "serial/line_bar.h"
#include "serial/open_port_error_form.h"
#include "support/form_fixture.h"

#include <QScreen>
#include <QToolTip>

using namespace trelvo;
using namespace trelvo::test;

class TestFormAppearance : public QObject {
    Q_OBJECT
private slots:
    void resizingTheWindowLaysTheControlsOutForItsNewSize() {
        FormFixture fx;
        TForm1& f = *fx.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.resize(944 + 100, 758 + 40);
        QTRY_COMPARE(f.width(), 1044);
        QCOMPARE(f.CmdButtons[41]->geometry(), QRect(518, 72, 229, 25));
        QCOMPARE(f.CmdEdits[41]->geometry(), QRect(518, 72, 229, 25));
        QCOMPARE(f.MainStrCmd->width(), 741);
        QCOMPARE(f.BtInfo->x(), 984);
        QCOMPARE(f.MainWindow->geometry(), QRect(4, 28, 1037, 422));
        QCOMPARE(f.MainPanel->geometry(), QRect(4, 499, 1037, 297));
        QCOMPARE(f.LogPanel->y(), 454);
        QCOMPARE(f.ComPort->geometry(), QRect(128, 2, 59, 21)); // not named by the rule
    }

    // The log file's caption and the line bar share the status row: at every width nothing overlaps, and a caption
    // cut short of the bar shows its whole text as its tooltip.
    void statusRowReadsAtEveryWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("clicks"); // on StartLog: 0 not logging, 1 recording, 2 paused
        QTest::addColumn<bool>("cut");
        for (int clicks : {0, 1, 2}) {
            QTest::addRow("design, %d", clicks) << 944 << clicks << false;
            QTest::addRow("1280, %d", clicks) << 1264 << clicks << false;
            QTest::addRow("800, %d", clicks) << 784 << clicks << (clicks > 0);
        }
    }
    void statusRowReadsAtEveryWidth() {
        QFETCH(int, width);
        QFETCH(int, clicks);
        QFETCH(bool, cut);
        FormFixture fx;
        fx.clock.local = {2026, 12, 31, 23, 59, 59, 0, 4}; // the longest file name
        TForm1& f = *fx.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.resize(width, 758);
        QTRY_COMPARE(f.width(), width);
        for (int i = 0; i < clicks; ++i)
            f.StartLogClick();
        const LineBar* bar = f.LineStatus;
        QCOMPARE(bar->captionCut(), cut);
        QVERIFY(f.STLog->x() + f.STLog->contentsRect().left() + bar->captionRoom() < bar->x());
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), f.STLog->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(f.STLog, &hover);
        QCOMPARE(QToolTip::text(), cut ? f.STLog->text() : QString());
        QToolTip::hideText();
    }

    void sevenColourClicksCycleTheSixSchemes() {
        FormFixture fx;
        TForm1& f = *fx.form;
        const QColor expected[7][2] = {
            {InactiveBorderColor(), WindowTextColor()}, {MenuBarColor(), WindowTextColor()},
            {QColor(0, 255, 255), WindowTextColor()},   {QColor(0, 0, 0), QColor(0, 255, 0)},
            {QColor(255, 0, 0), QColor(0, 0, 255)},     {WindowColor(), WindowTextColor()},
            {InactiveBorderColor(), WindowTextColor()},
        };
        for (int click = 0; click < 7; ++click) {
            f.BTPalitra->click();
            // the hidden lists take part too
            for (QWidget* w : std::initializer_list<QWidget*>{f.MainStrCmd, f.FastOldCmd, f.AddStrCmd, f.OldCmdList,
                                                              f.LBTail, f.MainWindow}) {
                QCOMPARE(Background(w), expected[click][0]);
                QCOMPARE(TextColor(w), expected[click][1]);
            }
        }
        QCOMPARE(Background(f.SecondWindow), InfoBkColor());
    }

    void theFontStepsOnlyWhereTheUpDownMovesAndStaysWithinTwoAndHundred() {
        FormFixture fx;
        TForm1& f = *fx.form;
        // both views follow; -1 when they differ
        const auto size = [&f] {
            const int main = f.MainWindow->font().pointSize();
            return f.SecondWindow->font().pointSize() == main ? main : -1;
        };
        QVERIFY(!f.Srift->press(false)); // at position 0 the down arrow does nothing
        QCOMPARE(size(), 8);
        f.Srift->press(true);
        QCOMPARE(size(), 9);
        f.Srift->press(false);
        QCOMPARE(size(), 8);
        for (int i = 0; i < 100; ++i)
            f.Srift->press(true);
        QCOMPARE(size(), 100);
        QCOMPARE(f.Srift->position(), 100);
        for (int i = 0; i < 100; ++i)
            f.Srift->press(false);
        QCOMPARE(size(), 2);
        QCOMPARE(f.st.shell.LogFontSize, 2);
        QCOMPARE(f.MainWindow->font().styleStrategy() & QFont::PreferNoShaping, QFont::PreferNoShaping);
    }

    // Activation, not showing, takes the focus away from every visible control of the about box.
    void theAboutBoxLeavesNoVisibleControlFocusedWhenActivated() {
        FormFixture fx;
        TInfo info(fx.form.get());
        info.show();
        QVERIFY(QTest::qWaitForWindowActive(&info));
        info.Edit2->setFocus();
        QVERIFY(info.Edit2->hasFocus());
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&info, &activate);
        QWidget* focused = info.focusWidget();
        QVERIFY2(!focused || focused == &info || !focused->isVisible(),
                 qPrintable(focused ? focused->objectName() : QString()));
    }

    void theAboutBoxAndTheOpenPortPictureOpenCentredOnTheScreen() {
        FormFixture fx;
        fx.form->move(0, 0);
        TInfo info(fx.form.get());
        TOpenPortError picture(fx.form.get());
        for (QDialog* d : std::initializer_list<QDialog*>{&info, &picture}) {
            d->show();
            const QPoint centre = d->screen()->availableGeometry().center();
            QVERIFY2((d->frameGeometry().center() - centre).manhattanLength() <= 2, qPrintable(d->objectName()));
            d->hide();
        }
    }
};

QTEST_MAIN(TestFormAppearance)
#include "test_form_appearance.moc"
