// Finding in the log: the search over a full view of 5000 HEX lines (finding, case, wrapping, marks), and the find
// bar in the main window (Ctrl+F, marks near the view, Esc, the paused view, entries arriving, Clear).

#include "receive/log_find.h"
#include "receive/log_find_bar.h"
#include "support/form_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

using namespace trelvo;
using namespace trelvo::test;

namespace {

// Line i: its number as two bytes, then fourteen bytes 55; line 100 holds "ERROR 42", line 4900 "error 43".
QString FullHexLog() {
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("%1 %2")
                         .arg(i >> 8, 2, 16, QLatin1Char('0'))
                         .arg(i & 255, 2, 16, QLatin1Char('0'))
                         .toUpper() +
                     QStringLiteral(" 55").repeated(14);
    lines[100] = QStringLiteral("ERROR 42");
    lines[4900] = QStringLiteral("error 43");
    return lines.join(QLatin1Char('\n'));
}

LogStore FullHexStore() {
    LogStore store;
    store.appendLines(ToCp1251(FullHexLog()));
    return store;
}

} // namespace

class TestLogFind : public QObject {
    Q_OBJECT
private slots:
    void findsInAFullHexView_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<int>>("from");  // line, column, length of the selection
        QTest::addColumn<QList<int>>("found"); // line, column; empty: not found
        QTest::addColumn<bool>("wrapped");
        const int here = int(FindStep::Here), next = int(FindStep::Next), prev = int(FindStep::Previous);
        const auto row = [](const char* name, const char* text, bool mc, int step, QList<int> from, QList<int> found,
                            bool wrapped) {
            QTest::newRow(name) << QString::fromUtf8(text) << mc << step << from << found << wrapped;
        };
        row("from the top", "12 34", false, here, {0, 0, 0}, {0x1234, 0}, false);
        row("typing keeps the match", "12 3", false, here, {0x1234, 0, 5}, {0x1234, 0}, false);
        row("the only match wraps onto itself", "12 34", false, next, {0x1234, 0, 5}, {0x1234, 0}, true);
        row("next in the same line, no overlap", "55 55", false, next, {0, 6, 5}, {0, 12}, false);
        row("any case", "error", false, next, {100, 0, 5}, {4900, 0}, false);
        row("past the end: from the start", "error", false, next, {4900, 0, 5}, {100, 0}, true);
        row("past the start: from the end", "error", false, prev, {100, 0, 5}, {4900, 0}, true);
        row("case matters", "error", true, here, {0, 0, 0}, {4900, 0}, false);
        row("case matters backwards", "ERROR", true, prev, {4999, 0, 0}, {100, 0}, false);
        row("not there", "ERROR 44", false, next, {0, 0, 0}, {}, false);
        row("wrong case is not there", "Error", true, here, {0, 0, 0}, {}, false);
    }
    void findsInAFullHexView() {
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(int, step);
        QFETCH(QList<int>, from);
        QFETCH(QList<int>, found);
        QFETCH(bool, wrapped);
        const LogStore store = FullHexStore();
        const StoreLines lines(store);
        const LogFindResult r =
            FindInLog(lines, {text, matchCase}, {from[0], from[1], from[2]}, static_cast<FindStep>(step));
        QCOMPARE(r.match.isNull(), found.isEmpty());
        QCOMPARE(r.wrapped, wrapped);
        if (found.isEmpty()) return;
        QCOMPARE(r.match.line, found[0]);
        QCOMPARE(r.match.column, found[1]);
        QVERIFY(IsMatch(lines, r.match, {text, false}));
    }

    void marksTheMatchesOfSomeLinesUpToACap() {
        const LogStore store = FullHexStore();
        const StoreLines lines(store);
        QCOMPARE(MatchesInLines(lines, 10, 19, {QStringLiteral("55"), false}, 1000).size(), 10 * 14);
        const QList<LogMatch> capped = MatchesInLines(lines, 10, 19, {QStringLiteral("5"), false}, 30);
        QCOMPARE(capped.size(), 30);
        QCOMPARE(capped.front().line, 10);
    }

    void theFindBarInTheWindow() {
        FormFixture fx;
        TForm1& f = *fx.form;
        LogFindBar& bar = *f.FindBar;
        f.MainWindow->appendLines(ToCp1251(FullHexLog()));
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.MainStrCmd->setFocus();

        QTest::keyClick(f.MainStrCmd, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar.isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar.findText));
        QVERIFY(bar.geometry().intersects(f.MainWindow->geometry())); // floating over the log
        QTest::keyClicks(bar.findText, QStringLiteral("12 34 55"));   // typed one by one, each searching
        QCOMPARE(bar.currentMatch().line, 0x1234);
        const QList<LogMark> marks = f.MainWindow->marks();
        QVERIFY(!marks.isEmpty());
        QVERIFY(marks.size() <= LogFindBar::kMaxMarks);
        QCOMPARE(marks.back().start, bar.currentMatch().start()); // the current match, scrolled into view
        const int top = f.MainWindow->firstVisibleLine();
        QVERIFY(top < 0x1234 && 0x1234 - top < 60);
        QTest::keyClick(bar.findText, Qt::Key_Return);
        QCOMPARE(bar.status->text(), QStringLiteral("С начала"));
        QTest::keyClick(bar.findText, Qt::Key_A); // "12 34 55a"
        QCOMPARE(bar.status->text(), QStringLiteral("Не найдено"));
        QVERIFY(f.MainWindow->marks().isEmpty());
        QTest::keyClick(bar.findText, Qt::Key_Backspace);
        QTest::keyClick(bar.findText, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(bar.status->text(), QStringLiteral("С конца"));

        QTest::keyClick(bar.findText, Qt::Key_Escape);
        QVERIFY(!bar.isVisible());
        QVERIFY(f.MainWindow->marks().isEmpty());
        QCOMPARE(f.MainWindow->selectedText(), QStringLiteral("12 34 55")); // left selected
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.MainStrCmd));

        // Paused, the snapshot is searched; resumed, the log again.
        QTest::keyClick(f.MainWindow, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!f.MainWindow->marks().isEmpty());
        f.StartStopClick();
        QCOMPARE(bar.view(), f.SecondWindow);
        QTRY_VERIFY(f.MainWindow->marks().isEmpty());
        bar.findText->setText(QStringLiteral("STOP"));
        bar.findNext();
        QCOMPARE(bar.currentMatch().line, 5001);
        QCOMPARE(f.SecondWindow->extraSelections().size(), 1);
        f.StartStopClick();
        QTRY_VERIFY(bar.currentMatch().isNull());
        QCOMPARE(bar.view(), f.MainWindow);

        // Clear drops the current match; entries drawn while the bar is open are marked.
        bar.findText->setText(QStringLiteral("error"));
        bar.findNext();
        QVERIFY(!bar.currentMatch().isNull());
        f.BTLogClick();
        QTRY_VERIFY(bar.currentMatch().isNull());
        f.MainWindow->appendLines("new ERROR");
        QTRY_COMPARE(f.MainWindow->marks().size(), 1); // lazily, after the drawing
    }
};

QTEST_MAIN(TestLogFind)
#include "test_log_find.moc"
