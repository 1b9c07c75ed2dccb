// The help area of the main window: the default text, the controls that clear it and those that leave it.

#include "library_file.h"
#include "support/form_fixture.h"

#include <QAbstractScrollArea>

using namespace trelvo;
using namespace trelvo::test;

namespace {

QStringList HelpArea(const TForm1& f) {
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
        lines << f.HelpTexts[i]->text();
    return lines;
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

    // Command 1 of list 1 has 12 help lines, command 2 none.
    void commandHelpUnderThePointerAndTheFocus() {
        FormFixture fx(false);
        QStringList help;
        for (int line = 1; line <= 12; ++line)
            help << QStringLiteral("help %1").arg(line);
        help[6] = QString(151, u'h');                     // longer than typing allows: shown in full
        help[0] = QStringLiteral("<b>p</b> - parameter"); // shown as typed, never as markup
        help[1] = QStringLiteral("<p> parameter");
        WriteLibrary(fx.path("CmdConfig"), [&help](CmdStore& store) {
            for (int line = 1; line <= 12; ++line)
                store.list(1).setHelpLine(1, line, help[line - 1].toStdString());
        });
        fx.build();
        TForm1& f = *fx.form;
        const QStringList empty(12, QString());
        MovePointer(f.CmdButtons[1], QPoint(3, 3));
        QCOMPARE(HelpArea(f), help);
        for (const QLabel* l : {f.HelpTexts[1], f.HelpTexts[2], f.STListName, f.STLog})
            QVERIFY2(l->textFormat() == Qt::PlainText, qPrintable(l->objectName()));
        MovePointer(f.CmdButtons[2], QPoint(3, 3));
        QCOMPARE(HelpArea(f), empty);
        f.EditAllCmdClick();
        QFocusEvent focus(QEvent::FocusIn);
        QApplication::sendEvent(f.CmdEdits[1], &focus);
        QCOMPARE(HelpArea(f), help);
        MovePointer(f.CmdEdits[2], QPoint(3, 3));
        QCOMPARE(HelpArea(f), empty);
        MovePointer(f.CmdEdits[1], QPoint(3, 3));
        QCOMPARE(HelpArea(f), help);
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
