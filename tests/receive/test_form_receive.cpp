// The receive-and-log handlers of the main window over a scripted port and a manual clock: packets become entries
// of MainWindow, the receive captions, the time-out arrows, pause and clear, the line limit, the log file.

#include "app/updown.h"
#include "support/form_fixture.h"

#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

const QString kStop = QStringLiteral(">>>>>>>>>> STOP <<<<<<<<<<");
const QString kLogName = QStringLiteral("LOG_2024 3 5 9 7 3.txt"); // the fixture clock's local time

// The window connected to the scripted port.
class ReceiveWindow {
public:
    ReceiveWindow() : f(fx.connect()) {}

    // Bytes that reach the port before the next tick.
    void arrive(const std::string& bytes) { fx.serial.incoming += bytes; }
    void tick(std::int64_t advanceMs = 1) {
        fx.clock.advance(advanceMs);
        f.RxTimerTimer();
    }
    // One packet: read at one tick, ended at the first tick after the time-out.
    void packet(const std::string& bytes) {
        arrive(bytes);
        tick(1);
        tick(f.st.receive.RxTimeOutMs + 1);
    }
    void housekeeping() { f.CustomFunctionsTimer(); }
    QString shown() const { return f.MainWindow->toPlainText(); }
    int lines() const { return f.MainWindow->store().lineCount(); }

    FormFixture fx;
    TForm1& f;
};

} // namespace

class TestFormReceive : public QObject {
    Q_OBJECT
private slots:
    void packetsBecomeEntries_data() {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<bool>("time");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, bool hex, bool time, QByteArray bytes, QString shown) {
            QTest::newRow(name) << hex << time << bytes << shown;
        };
        row("ASCII O K CR LF", false, false, "OK\r\n", "OK");
        row("ASCII LF only: no entry", false, false, "\n\n", "");
        row("ASCII CP1251 letters", false, false, "\xC0\xE0\xA8\r", QStringLiteral(u"\u0410\u0430\u0401"));
        row("HEX LF only is an entry", true, false, "\n", "0A");
        row("ASCII with time", false, true, "OK\r\n", " [ 09:07:03:045 < ] OK");
    }
    void packetsBecomeEntries() {
        QFETCH(bool, hex);
        QFETCH(bool, time);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        ReceiveWindow w;
        (hex ? w.f.RBHEX : w.f.RBASCII)->click();
        w.f.VisTime->setChecked(time);
        w.packet(bytes.toStdString());
        QCOMPARE(w.f.st.receive.RxLen, 0u);
        w.housekeeping();
        QCOMPARE(w.shown(), shown);
        QCOMPARE(w.f.StaticText3->text(), QStringLiteral("TX: 0 RX: %1").arg(bytes.size()));
        QCOMPARE(w.f.LRead->text(), QStringLiteral("Read: 1"));
    }

    // The view draws in batches; every entry still starts a line of its own, batch or no batch.
    void entriesKeepTheirOwnLinesAcrossBatches() {
        ReceiveWindow w;
        w.packet("A\r\n");
        w.housekeeping();
        w.packet("B\r\n");
        w.packet("C");
        w.housekeeping();
        w.housekeeping(); // nothing new: nothing drawn
        w.packet("D\rE\r");
        w.housekeeping();
        QCOMPARE(w.shown(), QStringLiteral("A\nB\nC\nD\nE"));
        QCOMPARE(w.lines(), 5);
    }

    // The view repaints only what a drawing changes; what is on screen must still be what a fresh paint shows, for a
    // short log, one that follows its end a line or a screenful at a time, and one read back while lines arrive.
    void theScreenShowsWhatAFreshPaintShows() {
        ReceiveWindow w;
        w.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.f));
        QWidget* view = w.f.MainWindow->viewport();
        const auto onScreen = [&] {
            QTest::qWait(2 * LogTextView::kFrameMs); // the paint of the last drawing, a frame on at most
            const QPoint at = view->mapTo(&w.f, QPoint(0, 0));
            return w.f.screen()
                ->grabWindow(w.f.winId())
                .toImage()
                .copy(QRect(at, view->size()))
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto fresh = [&] { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const int batches[] = {1, 2, 5, 30, 1, 3, 60, 1};
        for (int b = 0; b < 8; ++b) {
            if (b == 6) w.f.MainWindow->verticalScrollBar()->setValue(10); // read back
            if (b == 6) w.f.MainWindow->setSelection({12, 3}, {14, 0});    // the line breaks it crosses show
            for (int i = 0; i < batches[b]; ++i)
                w.packet("line " + std::to_string(b) + "." + std::to_string(i) + "\r");
            w.housekeeping();
            QVERIFY2(onScreen() == fresh(), qPrintable(QStringLiteral("after batch %1").arg(b)));
        }
    }

    // A triple click selects the line under it with its break, as a text editor does, and the keys go on from there.
    void aTripleClickSelectsTheLine() {
        ReceiveWindow w;
        LogTextView* log = w.f.MainWindow;
        log->appendLines("first\nsecond line\nthird");
        const QPoint at = log->rectOf({1, 8}).center();
        QTest::mouseDClick(log->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(log->selectedText(), QStringLiteral("line"));
        QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(log->selectedText(), QStringLiteral("second line\n"));
        QTest::keyClick(log, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(log->selectedText(), QStringLiteral("second line\nt"));
    }

    // Every byte takes the room a text layout of the font gives it: none for a control byte or the soft hyphen, and
    // a fallback font's for a letter the font lacks (with a font without Cyrillic, when one is installed).
    void eachByteTakesTheRoomATextLayoutGivesIt() {
        Bytes all;
        for (int b = 0; b < 256; ++b)
            if (b != '\n' && b != '\t') all.push_back(static_cast<char>(b));
        ReceiveWindow w;
        QList<QFont> fonts{w.f.MainWindow->font()};
        for (const QString& family : QFontDatabase::families()) {
            if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic)) continue;
            fonts.push_back(fonts.front());
            fonts.back().setFamily(family);
            break;
        }
        for (const QFont& font : fonts) {
            LogTextView view;
            view.setFont(font);
            view.resize(6000, 100); // one row
            view.show();
            view.appendLines(all);
            QTextLayout layout(FromCp1251(all), font);
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            for (int i = 0; i <= static_cast<int>(all.size()); ++i)
                QVERIFY2(std::abs(view.store().xOf({0, i}) - line.cursorToX(i)) < 0.5,
                         qPrintable(QStringLiteral("%1 before byte %2").arg(font.family()).arg(i)));
        }
    }

    void theLogFollowsNewEntriesUnlessScrolledBack() {
        ReceiveWindow w;
        w.f.show();
        QScrollBar* bar = w.f.MainWindow->verticalScrollBar();
        for (int i = 0; i < 200; ++i)
            w.packet("line\r");
        w.housekeeping();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(0); // the user reads back
        for (int i = 0; i < 50; ++i)
            w.packet("more\r");
        w.housekeeping();
        QCOMPARE(bar->value(), 0);
    }

    void theFilterHoldsBackWhatDoesNotMatch() {
        ReceiveWindow w;
        w.f.FiltrLog->setText(QStringLiteral("OK"));
        w.packet("ERROR\r\n");
        w.packet("OK 1\r\n");
        w.f.FiltrLog->setText(QStringLiteral("< ]")); // the prefix is part of the entry
        w.packet("plain\r\n");
        w.f.VisTime->setChecked(true);
        w.packet("stamped\r\n");
        w.housekeeping();
        QCOMPARE(w.shown(), QStringLiteral("OK 1\n [ 09:07:03:045 < ] stamped"));
        QCOMPARE(w.f.st.receive.RenderedPackets, 4); // filtered or not, each packet was rendered
    }

    void receiveCaptions() {
        ReceiveWindow w;
        w.fx.serial.queueLimit = 2048;
        const struct {
            int gapMs;
            const char* bytes;
            QString min, max, transfer;
        } reads[] = {
            {1, "ab", QStringLiteral("MIN_T_W:  NA"), QStringLiteral("MAX_T_W: NA"), QStringLiteral("TX: 0 RX: 2")},
            {7, "cde", QStringLiteral("MIN_T_W:  7"), QStringLiteral("MAX_T_W: 7"), QStringLiteral("TX: 0 RX: 5")},
            {3, "f", QStringLiteral("MIN_T_W:  3"), QStringLiteral("MAX_T_W: 7"), QStringLiteral("TX: 0 RX: 6")},
            {20, "g", QStringLiteral("MIN_T_W:  3"), QStringLiteral("MAX_T_W: 20"), QStringLiteral("TX: 0 RX: 7")},
        };
        int n = 0;
        for (const auto& r : reads) {
            w.arrive(r.bytes);
            w.tick(r.gapMs);
            ++n;
            w.housekeeping(); // the figures are shown with the next drawing
            QCOMPARE(w.f.LRead->text(), QStringLiteral("Read: %1").arg(n));
            QCOMPARE(w.f.MinTimeWait->text(), r.min);
            QCOMPARE(w.f.MaxTimeWait->text(), r.max);
            QCOMPARE(w.f.StaticText3->text(), r.transfer);
        }
        w.f.BTClrStat->click();
        QCOMPARE(w.f.LRead->text(), QStringLiteral("Read: 0"));
        QCOMPARE(w.f.LSend->text(), QStringLiteral("Send: 0"));
        QCOMPARE(w.f.MinTimeWait->text(), QStringLiteral("MIN_T_W:  NA"));
        QCOMPARE(w.f.MaxTimeWait->text(), QStringLiteral("MAX_T_W: NA"));
        QCOMPARE(w.f.StaticText3->text(), QStringLiteral("TX: 0 RX: 7"));
    }

    void timeOutArrows_data() {
        QTest::addColumn<QString>("presses"); // u = up, d = down
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("changed"); // TimeOutAns rewritten at all
        QTest::newRow("down right after start") << "d" << 0 << false;
        QTest::newRow("up once") << "u" << 1 << true;
        QTest::newRow("up and down again") << "ud" << 0 << true;
    }
    void timeOutArrows() {
        QFETCH(QString, presses);
        QFETCH(int, value);
        QFETCH(bool, changed);
        ReceiveWindow w;
        const QColor before = Background(w.f.TimeOutAns);
        for (QChar c : presses)
            w.f.TimeOutRx->press(c == u'u');
        QCOMPARE(w.f.st.receive.RxTimeOutMs, value);
        QCOMPARE(w.f.TimeOutAns->text(), QStringLiteral("TimeOutRX: %1").arg(value));
        if (!changed)
            QCOMPARE(Background(w.f.TimeOutAns), before);
        else
            QCOMPARE(Background(w.f.TimeOutAns), value != 0 ? colors::Yellow : BtnFaceColor());
    }

    void pauseShowsASnapshotAndResumeShowsWhatCameMeanwhile_data() {
        QTest::addColumn<QByteArrayList>("before");
        QTest::addColumn<QString>("snapshot");
        QTest::newRow("two entries") << QByteArrayList{"A\r\n", "B\r\n"} << QStringLiteral("A\nB\n\n") + kStop;
        QTest::newRow("empty log") << QByteArrayList{} << QStringLiteral("\n") + kStop;
    }
    void pauseShowsASnapshotAndResumeShowsWhatCameMeanwhile() {
        QFETCH(QByteArrayList, before);
        QFETCH(QString, snapshot);
        ReceiveWindow w;
        for (const QByteArray& p : before)
            w.packet(p.toStdString()); // not drawn yet: the snapshot still holds them
        w.f.StartStop->click();
        QCOMPARE(w.f.StartStop->text(), QStringLiteral(">"));
        QCOMPARE(TForm1::Tag(w.f.StartStop), 1);
        QVERIFY(w.f.MainWindow->isHidden());
        QVERIFY(!w.f.SecondWindow->isHidden());
        QCOMPARE(w.f.SecondWindow->toPlainText(), snapshot);

        w.packet("C\r\n");
        w.housekeeping();
        QCOMPARE(w.f.SecondWindow->toPlainText(), snapshot);

        w.f.StartStop->click();
        QCOMPARE(w.f.StartStop->text(), QStringLiteral("||"));
        QCOMPARE(TForm1::Tag(w.f.StartStop), 0);
        QVERIFY(!w.f.MainWindow->isHidden());
        QVERIFY(w.f.SecondWindow->isHidden());
        QVERIFY(w.shown().endsWith(QStringLiteral("C")));
        QCOMPARE(w.lines(), before.size() + 1);
    }

    void theSnapshotOpensWhereTheUserWasLooking() {
        for (const bool following : {true, false}) {
            ReceiveWindow w;
            for (int i = 0; i < 100; ++i)
                w.packet("line\r\n");
            w.housekeeping();
            QScrollBar* live = w.f.MainWindow->verticalScrollBar();
            QVERIFY(live->maximum() > 10);
            if (!following) live->setValue(10);
            w.f.StartStop->click();
            const QScrollBar* snapshot = w.f.SecondWindow->verticalScrollBar();
            QCOMPARE(snapshot->value(), following ? snapshot->maximum() : 10);
        }
    }

    void clearEmptiesOnlyTheLogWindow() {
        ReceiveWindow w;
        w.f.StartLog->click();
        w.packet("A\r\n");
        w.housekeeping();
        w.f.StartStop->click(); // paused: the snapshot stays
        const QString snapshot = w.f.SecondWindow->toPlainText();
        w.packet("B\r\n"); // placed, not drawn yet: cleared with the rest
        w.f.BTLog->click();
        w.housekeeping();
        QCOMPARE(w.shown(), QString());
        QCOMPARE(w.f.SecondWindow->toPlainText(), snapshot);
        QCOMPARE(w.f.StaticText3->text(), QStringLiteral("TX: 0 RX: 6"));
        w.f.StartStop->click();
        w.housekeeping();
        QCOMPARE(w.shown(), QString());
        w.packet("C\r\n");
        w.housekeeping();
        QCOMPARE(w.shown(), QStringLiteral("C")); // on the first line, not after an empty one
        w.f.StartLog->click();
        QCOMPARE(ReadFile(w.fx.path(kLogName)), QByteArray("A\r\r\nB\r\r\nC\r\r\n"));
    }

    void theLogIsEmptiedAbove5000Lines_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("paused");
        QTest::newRow("5000 lines stay") << 5000 << false;
        QTest::newRow("5001 lines go") << 5001 << false;
        QTest::newRow("5001 lines go while paused") << 5001 << true;
    }
    void theLogIsEmptiedAbove5000Lines() {
        QFETCH(int, lines);
        QFETCH(bool, paused);
        ReceiveWindow w;
        if (paused) w.f.StartStop->click();
        std::string chunk;
        for (int i = 0; i < 750; ++i)
            chunk += "A\r"; // 1500 bytes, not cut for size: one entry of 750 lines
        int left = lines;
        while (left > 0) {
            const int n = std::min(left, 750);
            w.packet(chunk.substr(0, 2 * static_cast<std::size_t>(n)));
            left -= n;
            if (left / 750 % 2 == 0) w.housekeeping(); // draw some batches on the way
        }
        w.housekeeping();
        // The tick that empties the view draws the entry still waiting (501 lines), so the log is never blank.
        const bool cleared = lines > 5000;
        QCOMPARE(w.lines(), cleared ? 501 : lines);
        w.packet("B\r\n"); // one more line: 5001 now (B alone is left), or 502
        w.housekeeping();
        QCOMPARE(w.lines(), cleared ? 502 : 1);
        w.packet("C\r\n");
        w.housekeeping();
        QCOMPARE(w.lines(), cleared ? 503 : 2);
        QVERIFY(w.shown().endsWith(QStringLiteral("A\nB\nC")) || w.shown() == QStringLiteral("B\nC"));
        if (paused) QCOMPARE(w.f.SecondWindow->toPlainText(), QStringLiteral("\n") + kStop);
    }

    void theLogFileHoldsExactlyWhatTheWindowShows() {
        ReceiveWindow w;
        QCOMPARE(w.f.StartLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(w.f.STLog->text(), QString::fromUtf8("Запись в файл не ведётся"));
        w.packet("before\r\n"); // not recording yet

        w.f.StartLog->click();
        QCOMPARE(w.f.StartLog->text(), QStringLiteral("Pause Log"));
        QCOMPARE(TForm1::Tag(w.f.StartLog), 1);
        QCOMPARE(w.f.STLog->text(), QString::fromUtf8("Лог записывается в файл ") + kLogName);
        w.packet("OK\r\n");
        w.packet("A\rB\r\n");
        w.packet("\xC0\xE0");
        w.f.FiltrLog->setText(QStringLiteral("x"));
        w.packet("held back\r\n");
        w.f.FiltrLog->clear();
        w.f.RBHEX->click();
        w.packet(std::string("\x00\x01\x0D", 3));
        w.f.VisTime->setChecked(true);
        w.packet("Z");

        w.f.StartLog->click(); // paused: complete on disk, without waiting for the window
        QCOMPARE(w.f.StartLog->text(), QStringLiteral("Go Log"));
        QCOMPARE(TForm1::Tag(w.f.StartLog), 0);
        QCOMPARE(w.f.STLog->text(), QString::fromUtf8("Запись в файл лога приостановлена (") + kLogName + ")");
        const QByteArray recorded = QByteArray("OK\r\r\n"
                                               "A\r\nB\r\r\n"
                                               "\xC0\xE0\r\n"
                                               "00 01 0D\r\n") +
                                    " [ 09:07:03:045 < ] 5A\r\n";
        QCOMPARE(ReadFile(w.fx.path(kLogName)), recorded);

        w.f.RBASCII->click();
        w.f.VisTime->setChecked(false);
        w.packet("paused\r\n");
        w.f.StartLog->click(); // the same file goes on
        QCOMPARE(w.f.StartLog->text(), QStringLiteral("Pause Log"));
        w.packet("34");
        QVERIFY(w.f.close());
        QCOMPARE(ReadFile(w.fx.path(kLogName)), recorded + "34\r\n");
        QCOMPARE(QDir(w.fx.dir.path()).entryList({QStringLiteral("LOG_*")}).size(), 1);
        w.housekeeping();
        QCOMPARE(w.shown(),
                 QStringLiteral(u"before\nOK\nA\nB\n\u0410\u0430\n00 01 0D\n [ 09:07:03:045 < ] 5A\npaused\n34"));
    }

    void aLogFileThatCannotBeCreatedLeavesRecordingOff() {
        ReceiveWindow w;
        QVERIFY(QDir(w.fx.dir.path()).mkdir(kLogName)); // a directory of that name
        w.f.StartLog->click();
        QCOMPARE(w.fx.dialogs.messages.size(), std::size_t{1});
        QCOMPARE(w.f.StartLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(TForm1::Tag(w.f.StartLog), 0);
        QCOMPARE(w.f.STLog->text(), QString::fromUtf8("Запись в файл не ведётся"));
        w.packet("OK\r\n");
        w.housekeeping();
        QCOMPARE(w.shown(), QStringLiteral("OK"));
        QCOMPARE(w.fx.dialogs.messages.size(), std::size_t{1});
    }

    void nothingIsReadWhileThePortIsClosed() {
        ReceiveWindow w;
        w.arrive("AB");
        w.tick(1);
        w.f.BTConnectClick(); // disconnect: the part packet stays in RxBuf
        QVERIFY(!w.f.st.port.PortOpen);
        QCOMPARE(w.f.st.receive.RxLen, 2u);
        w.tick(100);
        w.housekeeping();
        QCOMPARE(w.shown(), QString());
        w.f.BTConnectClick();
        QVERIFY(w.f.st.port.PortOpen);
        w.tick(1); // long silence since the last read: the kept packet is rendered at once
        w.housekeeping();
        QCOMPARE(w.shown(), QStringLiteral("AB"));
    }
};

QTEST_MAIN(TestFormReceive)
#include "test_form_receive.moc"
