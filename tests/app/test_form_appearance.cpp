// The real main window resized, its colour schemes and its log font.

#include "app/info_form.h"
#include "app/updown.h"
#include "serial/open_port_error_form.h"
#include "support/form_fixture.h"

#include <QScreen>

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
