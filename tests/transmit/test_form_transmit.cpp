// Sending from the main window over test doubles: the send keys and button, the bytes handed to the port, the
// echo line, the captions, the closed port, the suffix and its directive picker, the quick history and its file.

#include "support/form_fixture.h"

#include <QSignalSpy>

using namespace trelvo;
using namespace trelvo::test;

namespace {

void SetMode(TForm1& f, bool hex) {
    (hex ? f.RBHEX : f.RBASCII)->click();
}

QString Cp(const char* cp1251) {
    return FromCp1251(cp1251);
}

// One 256-byte record of the history file: length, text, then `tail` behind it, zeros after that.
QByteArray Record(const QByteArray& text, const QByteArray& tail = {}) {
    QByteArray r(256, '\0');
    r[0] = static_cast<char>(text.size());
    r.replace(1, text.size() + tail.size(), text + tail);
    return r;
}

QByteArray HistoryFileBytes(const QList<QByteArray>& records) {
    QByteArray file;
    for (const QByteArray& r : records)
        file += r;
    return file + QByteArray(12800 - file.size(), '\0');
}

enum class Trigger { Button, Enter, KeypadEnter, Direct };

void Send(TForm1& f, Trigger how, const QString& directLine = {}) {
    switch (how) {
    case Trigger::Button:
        f.ButtonSend->click();
        break;
    case Trigger::Enter:
        QTest::keyClick(f.MainStrCmd, Qt::Key_Return);
        break;
    case Trigger::KeypadEnter:
        QTest::keyClick(f.MainStrCmd, Qt::Key_Enter, Qt::KeypadModifier);
        break;
    case Trigger::Direct:
        f.SendPortData(directLine);
        break;
    }
}

struct WireCase {
    Trigger trigger;
    bool hex;
    QString mainStrCmd, suffix;
    QByteArray wire;
    QString directLine = {}; // the line handed over by another send path
};

struct EchoCase {
    bool visTime;
    QString filter;
    bool hex;
    QString suffix;
    QStringList lines;
    QString log;
};

} // namespace

Q_DECLARE_METATYPE(WireCase)
Q_DECLARE_METATYPE(EchoCase)

class TestFormTransmit : public QObject {
    Q_OBJECT
private slots:
    void bytesHandedToThePort_data() {
        QTest::addColumn<WireCase>("c");
        QTest::newRow("ascii escapes, button") << WireCase{Trigger::Button, false, "AT", "$0D$0A", "AT\r\n"};
        QTest::newRow("ascii escapes, Enter") << WireCase{Trigger::Enter, false, "AT", "$0D$0A", "AT\r\n"};
        QTest::newRow("keypad Enter") << WireCase{Trigger::KeypadEnter, false, "AT", "$0D", "AT\r"};
        QTest::newRow("code page 1251") << WireCase{Trigger::Enter, false, Cp("\xC6\xF3\xEA"), "$0D", "\xC6\xF3\xEA\r"};
        QTest::newRow("hex suffix after a blank") << WireCase{Trigger::Button, true, "01 02", " 03", "\x01\x02\x03"};
        // A line from elsewhere (a file, a command button, a list entry) carries the checksum of its own text.
        QTest::newRow("checksum over the line sent, not the command line")
            << WireCase{Trigger::Direct, false, "abc", "$[SUM_8(0..n)]", "xyzk", "xyz"};
    }
    void bytesHandedToThePort() {
        QFETCH(WireCase, c);
        FormFixture fx;
        TForm1& f = fx.connect();
        QVERIFY(f.st.port.PortOpen);
        SetMode(f, c.hex);
        f.MainStrCmd->setText(c.mainStrCmd);
        f.AddStrCmd->setText(c.suffix);
        QSignalSpy returns(f.MainStrCmd, &QLineEdit::returnPressed);

        Send(f, c.trigger, c.directLine);

        QCOMPARE(fx.serial.writes.size(), std::size_t{1});
        QCOMPARE(QByteArray::fromStdString(fx.serial.writes[0]), c.wire);
        QCOMPARE(f.MainStrCmd->text(), c.mainStrCmd); // the field keeps its text
        QCOMPARE(f.AddStrCmd->text(), c.suffix);      // the directives are expanded for the send only
        QCOMPARE(returns.count(), 0);                 // Enter went no further than the send
        // the receive queue was purged before the one write
        QCOMPARE(fx.serial.log, (std::vector<std::string>{"purge input", "write"}));
    }

    void keysOfTheTwoFields_data() {
        QTest::addColumn<bool>("inSuffix");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("textAfter");

        QTest::newRow("Esc empties the command line") << false << int(Qt::Key_Escape) << "";
        QTest::newRow("Enter in the suffix never sends") << true << int(Qt::Key_Return) << "$0D";
        QTest::newRow("keypad Enter in the suffix") << true << int(Qt::Key_Enter) << "$0D";
        QTest::newRow("Esc empties the suffix") << true << int(Qt::Key_Escape) << "";
        QTest::newRow("other keys type") << true << int(Qt::Key_A) << "$0Da";
    }
    void keysOfTheTwoFields() {
        QFETCH(bool, inSuffix);
        QFETCH(int, key);
        QFETCH(QString, textAfter);
        FormFixture fx;
        TForm1& f = fx.connect();
        f.MainStrCmd->setText(QStringLiteral("AT"));
        QLineEdit* field = inSuffix ? f.AddStrCmd : f.MainStrCmd;
        field->setCursorPosition(field->text().size());
        QSignalSpy returns(field, &QLineEdit::returnPressed);

        QTest::keyClick(field, Qt::Key(key));

        QCOMPARE(field->text(), textAfter);
        QVERIFY(fx.serial.writes.empty());
        QCOMPARE(returns.count(), 0);
        if (inSuffix) QCOMPARE(f.MainStrCmd->text(), QStringLiteral("AT"));
    }

    void echoLine_data() {
        QTest::addColumn<EchoCase>("c");
        const QStringList at{"AT"};
        QTest::newRow("plain") << EchoCase{false, "", false, "$0D", at, "AT"};
        QTest::newRow("stamped") << EchoCase{true, "", false, "$0D", at, " [ 09:07:03:045 > ] AT"};
        QTest::newRow("stamped hex shows the typed text")
            << EchoCase{true, "", true, " 04", {"01 02 03"}, " [ 09:07:03:045 > ] 01 02 03 04"};
        QTest::newRow("line break inside") << EchoCase{false, "", false, "$0D$0AOK", at, "AT\nOK"};
        QTest::newRow("filter matches the stamp")
            << EchoCase{true, "03:045 >", false, "$0D", at, " [ 09:07:03:045 > ] AT"};
        QTest::newRow("one line per send") << EchoCase{false, "", false, "$0D", {"AT", "ATI", "ATZ"}, "AT\nATI\nATZ"};
        QTest::newRow("only the lines that pass")
            << EchoCase{false, "I", false, "$0D", {"AT", "ATI", "ATZ", "ATI0"}, "ATI\nATI0"};
    }
    void echoLine() {
        QFETCH(EchoCase, c);
        FormFixture fx;
        TForm1& f = fx.connect();
        SetMode(f, c.hex);
        f.AddStrCmd->setText(c.suffix);
        f.VisTime->setChecked(c.visTime);
        f.FiltrLog->setText(c.filter);
        for (const QString& line : c.lines) {
            f.MainStrCmd->setText(line);
            QTest::keyClick(f.MainStrCmd, Qt::Key_Return);
            f.FlushLogView(); // the housekeeping tick draws between sends
        }
        QCOMPARE(f.MainWindow->toPlainText(), c.log);
        QCOMPARE(fx.serial.writes.size(), std::size_t(c.lines.size())); // a filtered line is still sent
    }

    void countersAndTheirCaptions() {
        FormFixture fx;
        TForm1& f = fx.connect();
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 0, RX: 0"));
        f.MainStrCmd->setText(QStringLiteral("AT"));
        f.ButtonSend->click(); // 3 bytes
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 3 RX: 0"));
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 1"));
        f.MainStrCmd->setText(QStringLiteral("ATI"));
        f.ButtonSend->click(); // 4 more
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 7 RX: 0"));
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 2"));

        // an empty line with the port open does nothing and counts nothing
        f.MainStrCmd->clear();
        f.ButtonSend->click();
        QCOMPARE(fx.serial.writes.size(), std::size_t{2});
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 2"));
        QCOMPARE(fx.dialogs.openPortErrorShown, 0);

        // the statistics restart the packet count, not the byte totals
        f.BTClrStat->click();
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 0"));
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 7 RX: 0"));
        f.MainStrCmd->setText(QStringLiteral("AT"));
        f.ButtonSend->click();
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 10 RX: 0"));
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 1"));

        // received bytes join the same caption
        fx.serial.incoming = "OK";
        f.RxTimerTimer();
        f.FlushLogView(); // the receive figures are shown with the next drawing
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 10 RX: 2"));
    }

    // On a slow line the caption follows the port's reports; a typed line that finds one send already waiting is
    // refused with a message, the waiting one goes when the first is out.
    void sendsWhileTheLineDrains() {
        FormFixture fx;
        TForm1& f = fx.connect();
        fx.serial.holdWrites = true;
        f.MainStrCmd->setText(QStringLiteral("AT"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(f.MainStrCmd, Qt::Key_Return);
        QCOMPARE(fx.dialogs.messages.size(), std::size_t{1});
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 0 RX: 0"));
        fx.serial.drain(2);
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 2 RX: 0"));
        fx.serial.drain(1);
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 2"));
        fx.serial.drain(3);
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 6 RX: 0"));
        QCOMPARE(fx.serial.written, std::string("AT\rAT\r"));
    }

    void closedPortShowsTheErrorWindow_data() {
        QTest::addColumn<Trigger>("trigger");
        QTest::addColumn<QString>("line");
        QTest::newRow("button") << Trigger::Button << "AT";
        QTest::newRow("Enter") << Trigger::Enter << "AT";
        QTest::newRow("empty line, button") << Trigger::Button << "";
        QTest::newRow("empty line, Enter") << Trigger::Enter << "";
    }
    void closedPortShowsTheErrorWindow() {
        QFETCH(Trigger, trigger);
        QFETCH(QString, line);
        FormFixture fx;
        TForm1& f = *fx.form;
        f.MainStrCmd->setText(line);

        Send(f, trigger);

        QCOMPARE(fx.dialogs.openPortErrorShown, 1);
        QVERIFY(fx.serial.writes.empty());
        QCOMPARE(f.LSend->text(), QStringLiteral("Send: 0"));
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 0, RX: 0"));
        f.FlushLogView();
        QVERIFY(f.MainWindow->toPlainText().isEmpty());
        QVERIFY(f.st.history.entry(1).empty()); // a refused line is not remembered
        QCOMPARE(f.MainStrCmd->text(), line);
    }

    void modeButtonsResetTheSuffix_data() {
        QTest::addColumn<bool>("startHex");
        QTest::addColumn<bool>("clickHex");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("to HEX") << false << true << "";
        QTest::newRow("to ASCII") << true << false << "$0D";
        QTest::newRow("ASCII again") << false << false << "$0D";
        QTest::newRow("HEX again") << true << true << "";
    }
    void modeButtonsResetTheSuffix() {
        QFETCH(bool, startHex);
        QFETCH(bool, clickHex);
        QFETCH(QString, suffix);
        FormFixture fx;
        TForm1& f = *fx.form;
        SetMode(f, startHex);
        f.AddStrCmd->setText(QStringLiteral("*[XOR_8 (0..n)]$0D$0A")); // typed by the user
        SetMode(f, clickHex);
        QCOMPARE(f.AddStrCmd->text(), suffix);
        QCOMPARE(f.Mode(), clickHex ? TxMode::Hex : TxMode::Ascii);
    }

    // The two lists under the fields: the directive picker under the suffix (opened by the Down arrow or Str2) and
    // the quick history under the command line (Down arrow or Str1, filled with the history at every opening).
    // Enter, Esc or focus loss close them; only Enter takes an item over, replacing the whole field, and never
    // sends, even in the send-on-selection mode.
    void popupLists_data() {
        QTest::addColumn<bool>("history");   // the quick history, else the directive picker
        QTest::addColumn<QString>("opener"); // down, up, button
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row"); // selected before the action; -1 none
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("visible");
        const auto row = [](bool history, const char* name, const char* opener, const char* action, int row,
                            const char* text, bool visible) {
            QTest::newRow(qPrintable(QString(history ? "history: " : "picker: ") + name))
                << history << opener << action << row << text << visible;
        };
        row(false, "Down, Enter", "down", "enter", 3, "[XOR_8 (0..n)]", false);
        row(false, "Str2, Enter", "button", "enter", 8, "[FF - SUM_8(2..n)]", false);
        row(false, "Enter with nothing selected", "down", "enter", -1, "$0D", true);
        row(false, "Down key selects the first item", "down", "down-enter", -1, "[SUM_8(0..n)]", false);
        row(false, "mouse selects, Enter takes", "button", "mouse-enter", -1, "[SUM_8(1..n)]", false);
        row(false, "Esc", "button", "esc", 2, "$0D", false);
        row(false, "focus loss", "down", "focus", 2, "$0D", false);
        row(false, "mouse only selects", "button", "mouse", -1, "$0D", true);
        row(false, "Up does not open", "up", "none", -1, "$0D", false);
        row(true, "Down, Enter", "down", "enter", 1, "ATI", false);
        row(true, "Str1, Enter", "button", "enter", 0, "AT", false);
        row(true, "Enter with nothing selected", "down", "enter", -1, "typed", true);
        row(true, "Down key selects the first item", "down", "down-enter", -1, "AT", false);
        row(true, "mouse selects, Enter takes", "button", "mouse-enter", -1, "ATI", false);
        row(true, "Esc", "button", "esc", 1, "typed", false);
        row(true, "focus loss", "down", "focus", 1, "typed", false);
        row(true, "mouse only selects", "button", "mouse", -1, "typed", true);
        row(true, "Up does not open", "up", "none", -1, "typed", false);
    }
    void popupLists() {
        QFETCH(bool, history);
        QFETCH(QString, opener);
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, visible);
        FormFixture fx;
        TForm1& f = fx.connect();
        f.SendPortData(QStringLiteral("ATI"));
        f.SendPortData(QStringLiteral("AT"));
        QCOMPARE(f.FastOldCmd->count(), 0); // refilled only when opened
        f.RBSel->setChecked(true);
        f.MainStrCmd->setText(QStringLiteral("typed"));
        QLineEdit* field = history ? f.MainStrCmd : f.AddStrCmd;
        QLineEdit* other = history ? f.AddStrCmd : f.MainStrCmd;
        QListWidget* list = history ? f.FastOldCmd : f.LBTail;
        QVERIFY(ShowActive(f));
        field->setFocus();

        if (opener == "down") QTest::keyRelease(field, Qt::Key_Down);
        if (opener == "up") QTest::keyRelease(field, Qt::Key_Up);
        if (opener == "button") QTest::mouseClick(history ? f.Str1 : f.Str2, Qt::LeftButton);
        if (opener != "up") {
            QVERIFY(list->isVisible());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
            if (history) QCOMPARE(Items(list), (QStringList{"AT", "ATI"}));
        }
        if (row >= 0) list->setCurrentRow(row);

        if (action == "down-enter") QTest::keyClick(list, Qt::Key_Down);
        if (action == "enter" || action == "down-enter") QTest::keyClick(list, Qt::Key_Return);
        if (action == "esc") QTest::keyClick(list, Qt::Key_Escape);
        if (action == "focus") other->setFocus();
        if (action.startsWith("mouse")) {
            const QRect item = list->visualItemRect(list->item(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
            QCOMPARE(list->currentRow(), 1);
        }
        if (action == "mouse-enter") QTest::keyClick(list, Qt::Key_Return);

        QCOMPARE(field->text(), text);
        QCOMPARE(list->isVisible(), visible);
        if (action.contains("enter") || action == "esc") {
            QCOMPARE(QApplication::focusWidget(), visible ? static_cast<QWidget*>(list) : field);
        }
        QCOMPARE(fx.serial.writes.size(), std::size_t{2}); // only the two sends above
    }

    void quickHistoryIsRefilledAtEveryOpening() {
        FormFixture fx;
        TForm1& f = fx.connect();
        QVERIFY(ShowActive(f));
        f.SendPortData(QStringLiteral("AT"));
        QTest::mouseClick(f.Str1, Qt::LeftButton);
        QCOMPARE(Items(f.FastOldCmd), QStringList{"AT"});
        QTest::keyClick(f.FastOldCmd, Qt::Key_Escape);
        f.SendPortData(QStringLiteral("ATI"));
        f.SendPortData(QStringLiteral("AT"));
        QTest::keyRelease(f.MainStrCmd, Qt::Key_Down);
        QCOMPARE(Items(f.FastOldCmd), (QStringList{"AT", "ATI"}));
    }

    // What the window remembers goes to OldCmd at the close and comes back in the next window, byte for byte,
    // including the stale bytes behind a record's text and lines outside ASCII.
    void historySurvivesARestart() {
        FormFixture fx(false);
        QVERIFY(WriteFile(fx.path("OldCmd"), HistoryFileBytes({Record("AT", "Zgarbage"), Record("ATI")})));
        fx.build();
        QCOMPARE(Items(fx.form->FastOldCmd), (QStringList{"AT", "ATI"}));
        fx.connect();
        fx.form->SendPortData(Cp("\xEF\xF0\xE8\xE2\xE5\xF2")); // "привет"
        QVERIFY(fx.form->close());

        // the new line went on top over the old entry 1, whose bytes behind the text stay
        const QByteArray after =
            HistoryFileBytes({Record("\xEF\xF0\xE8\xE2\xE5\xF2", "bage"), Record("AT", "Zgarbage"), Record("ATI")});
        QCOMPARE(ReadFile(fx.path("OldCmd")), after);

        fx.build();
        QCOMPARE(Items(fx.form->FastOldCmd), (QStringList{Cp("\xEF\xF0\xE8\xE2\xE5\xF2"), "AT", "ATI"}));
        QCOMPARE(Items(fx.form->OldCmdList), Items(fx.form->FastOldCmd));
        QVERIFY(fx.form->close());
        QCOMPARE(ReadFile(fx.path("OldCmd")), after);
        QVERIFY(fx.dialogs.messages.empty());
    }

    void historyViewToggles() {
        FormFixture fx;
        TForm1& f = fx.connect();
        f.SendPortData(QStringLiteral("AT"));
        const QList<QWidget*> swapped{f.EditAllCmd, f.CBLists, f.ButtonReadFile, f.RBName, f.RbData};
        for (QWidget* w : swapped)
            QVERIFY(w->isVisibleTo(&f));

        f.OldCommandsBT->click();
        QVERIFY(f.st.send.HistoryListMode);
        QVERIFY(!f.st.send.FileMode);
        QVERIFY(f.OldCmdList->isVisibleTo(&f));
        QCOMPARE(f.OldCmdList->x(), f.StaticText3->x());
        QCOMPARE(Items(f.OldCmdList), QStringList{"AT"});
        for (QWidget* w : swapped)
            QVERIFY2(!w->isVisibleTo(&f), qPrintable(w->objectName()));
        f.SendPortData(QStringLiteral("ATI")); // in history view the list follows at once
        QCOMPARE(Items(f.OldCmdList), (QStringList{"ATI", "AT"}));

        f.OldCommandsBT->click();
        QVERIFY(!f.st.send.HistoryListMode);
        QVERIFY(!f.OldCmdList->isVisibleTo(&f));
        for (QWidget* w : swapped)
            QVERIFY2(w->isVisibleTo(&f), qPrintable(w->objectName()));
        f.SendPortData(QStringLiteral("ATZ"));
        QCOMPARE(Items(f.OldCmdList), (QStringList{"ATI", "AT"}));

        f.OldCommandsBT->click(); // and open again
        QVERIFY(f.st.send.HistoryListMode);
        QCOMPARE(Items(f.OldCmdList), (QStringList{"ATZ", "ATI", "AT"}));
    }
};

QTEST_MAIN(TestFormTransmit)
#include "test_form_transmit.moc"
