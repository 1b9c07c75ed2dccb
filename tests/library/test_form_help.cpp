// The help area of the main window: the default text, the controls that clear it and those that leave it.

#include "support/form_fixture.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QtTest>

using namespace trelvo;
using namespace trelvo::test;

namespace {

QStringList HelpArea(const TForm1& f) {
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
        lines << f.HelpTexts[i]->text();
    return lines;
}

// A pointer move as the platform delivers it: to the widget under the pointer, then to the parents that track
// the mouse while the widgets below ignore it.
void MovePointer(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class TestFormHelp : public QObject {
    Q_OBJECT
private slots:
    void defaultTextAfterStartUp() {
        FormFixture fx;
        const QStringList expected = {
            QString::fromUtf8("Краткая справка по каждой команде"),
            QStringLiteral("   "),
            QString::fromUtf8("   Здесь будет отображаться описание команд."),
            QString::fromUtf8("   Редактируемая  справка  отображается при"),
            QString::fromUtf8("   наведении  указателя  мышки  на кнопку с"),
            QString::fromUtf8("   соответствующей командой."),
            QStringLiteral("   "),
            QString::fromUtf8("   Для редактирования справки нужно открыть"),
            QString::fromUtf8("   редактор  и  дважды  кликнуть  мышкой по"),
            QString::fromUtf8("   соответствующей   команде    в    режиме"),
            QString::fromUtf8("   редактирования. "),
            QStringLiteral("   "),
        };
        QCOMPARE(HelpArea(*fx.form), expected);
        QVERIFY(fx.form->HelpTexts[1]->font().bold());
        QVERIFY(fx.form->HelpTexts[1]->alignment() & Qt::AlignHCenter);
        QVERIFY(!fx.form->HelpTexts[2]->font().bold());
        QVERIFY(fx.form->HelpTexts[2]->alignment() & Qt::AlignLeft);
    }

    void pointerMoveClearsOrKeeps_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("clears");
        const QPoint in(3, 3);
        for (const char* name : {"EditAllCmd", "DelList", "OldCommandsBT", "ListInc", "ListDec", "ButtonReadFile",
                                 "SendStart", "ButtonSend", "MainStrCmd", "AddStrCmd", "LogPanel"})
            QTest::newRow(name) << name << in << true;
        QTest::newRow("MainWindow") << "MainWindow/viewport" << in << true;
        QTest::newRow("SecondWindow") << "SecondWindow/viewport" << in << true;
        QTest::newRow("Panel1 surface") << "Panel1" << QPoint(936, 3) << true;
        QTest::newRow("MainPanel surface") << "MainPanel" << QPoint(3, 3) << true;
        // Controls that only pass a move on to their panel, and those that do not track the pointer at all.
        for (const char* name : {"Str1", "Str2", "LBTail", "PeriodTX", "FiltrLog", "CBLists", "STH1", "RBName", "STLog",
                                 "StaticText3", "ComPort"})
            QTest::newRow(name) << name << in << false;
    }
    void pointerMoveClearsOrKeeps() {
        QFETCH(QString, control);
        QFETCH(QPoint, at);
        QFETCH(bool, clears);
        FormFixture fx;
        TForm1& f = *fx.form;
        f.LBTail->show();
        f.SecondWindow->show();
        const QStringList parts = control.split(u'/');
        auto* w = f.findChild<QWidget*>(parts[0]);
        QVERIFY(w);
        if (parts.size() == 2) w = static_cast<QAbstractScrollArea*>(w)->viewport();
        const QStringList before = HelpArea(f);
        MovePointer(w, at);
        QCOMPARE(HelpArea(f), clears ? QStringList(12, QString()) : before);
        // once cleared, the default text does not come back
        MovePointer(f.CBLists, QPoint(3, 3));
        QCOMPARE(HelpArea(f), clears ? QStringList(12, QString()) : before);
    }
};

QTEST_MAIN(TestFormHelp)
#include "test_form_help.moc"
