// The send modes in the main window over test doubles: loading and leaving a command file, the period timer's
// wake-ups and its notice, the shared list, `PeriodTX`, and a connect in file mode.

#include "support/form_fixture.h"

using namespace trelvo;
using namespace trelvo::test;

namespace {

// Connected, without a suffix: the device gets the lines alone.
TForm1& Connect(FormFixture& fx) {
    fx.connect();
    fx.form->AddStrCmd->clear();
    return *fx.form;
}

// Writes `content` (unless `name` is given) and chooses the file in the dialog.
QString Load(FormFixture& fx, const QByteArray& content, const QString& name = {}) {
    const QString path = fx.path(name.isEmpty() ? QStringLiteral("commands.txt") : name);
    if (name.isEmpty()) WriteFile(path, content);
    fx.dialogs.fileAnswers.push_back(QFile::encodeName(path).toStdString());
    fx.form->ButtonReadFile->click();
    return path;
}

// The controls of the file view are shown and the others hidden, or the other way round.
bool ShowsFileView(TForm1& f, bool on) {
    for (QWidget* w : {(QWidget*)f.CiklSend, (QWidget*)f.STListName, (QWidget*)f.OldCmdList, (QWidget*)f.SendStart})
        if (w->isVisibleTo(&f) != on) return false;
    for (QWidget* w : {(QWidget*)f.CBLists, (QWidget*)f.EditAllCmd, (QWidget*)f.RBName, (QWidget*)f.RbData})
        if (w->isVisibleTo(&f) == on) return false;
    return f.ButtonReadFile->text() == (on ? "Назад" : "Из файла") && f.st.send.FileMode == on;
}

} // namespace

class TestFormSendModes : public QObject {
    Q_OBJECT
private slots:
    void loadAndLeaveACommandFile_data() {
        QTest::addColumn<QString>("name"); // empty: a file with `content`; else a name in the working directory
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("message");
        QTest::newRow("three lines") << "" << QByteArray("A\nB\r\nC") << QStringList{"A", "B", "C"} << "";
        QTest::newRow("500 lines") << "" << QByteArray("X\n").repeated(500) << QStringList(500, "X") << "Большой файл";
        // Not opened: the list is empty, nothing of what it held is sent as a file line.
        QTest::newRow("missing") << "missing.txt" << QByteArray() << QStringList{}
                                 << "missing.txt: No such file or directory";
        QTest::newRow("directory") << "." << QByteArray() << QStringList{} << ".: это каталог, а не файл";
    }
    void loadAndLeaveACommandFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, items);
        QFETCH(QString, message);
        FormFixture fx;
        TForm1& f = Connect(fx);
        f.OldCmdList->addItem(QStringLiteral("old"));
        f.SendPortData(QStringLiteral("sent")); // a history entry
        f.RBAfterAns->click();
        const QString hint = f.STListName->toolTip();
        f.ButtonReadFile->click(); // cancelled: nothing changes
        QVERIFY(ShowsFileView(f, false));

        const QString path = Load(fx, content, name);
        QVERIFY(ShowsFileView(f, true));
        QVERIFY(!f.st.send.HistoryListMode);
        QCOMPARE(Items(f.OldCmdList), items);
        QCOMPARE(f.STListName->text(), path);
        QCOMPARE(f.STListName->width(), 552);
        QVERIFY(f.STListName->toolTip().isEmpty());
        QVERIFY(f.CiklSend->isEnabled());
        f.ShowQuickHistory(); // the quick history leaves the file's lines alone
        QCOMPARE(Items(f.OldCmdList), items);
        QCOMPARE(Items(f.FastOldCmd), QStringList{"sent"});
        QCOMPARE(fx.dialogs.messages,
                 message.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{message.toStdString()});

        f.SendStart->click();
        f.ButtonReadFile->click();
        QVERIFY(ShowsFileView(f, false));
        QVERIFY(f.st.send.HistoryListMode);
        QCOMPARE(f.OldCmdList->count(), 0);
        QCOMPARE(f.STListName->toolTip(), hint);
        QCOMPARE(f.st.send.FileLineIndex, items.isEmpty() ? 0u : 1u); // kept
    }

    // The QTimer runs only while a tick can send: in periodic mode, with the port open and a period set. It is off
    // before the notice that ends a non-cyclic pass, and ticking CiklSend starts it again at once.
    void periodTimerWakesOnlyWhenASendCanBeDue() {
        FormFixture fx;
        TForm1& f = Connect(fx);
        Load(fx, "A\nB");
        f.RBPeriod->click();
        QVERIFY(f.TimerPeriod->isActive());
        f.TimerPeriodTimer(); // sends at once, then sleeps for the period
        QCOMPARE(f.TimerPeriod->interval(), 1001);
        f.PeriodTX->clear();
        QVERIFY(!f.TimerPeriod->isActive());
        f.PeriodTX->setText(QStringLiteral("10"));
        QCOMPARE(f.TimerPeriod->interval(), 11);
        f.RBManual->click();
        QVERIFY(f.st.send.PeriodTimerOn && f.st.send.PeriodTicked && !f.TimerPeriod->isActive());
        f.RBPeriod->click();
        f.BTConnect->click(); // disconnect
        QVERIFY(!f.TimerPeriod->isActive());
        f.BTConnect->click();
        QVERIFY(f.TimerPeriod->isActive());

        for (int i = 0; i < 2; ++i) {
            fx.clock.advance(11);
            f.TimerPeriodTimer();
        }
        QCOMPARE(fx.serial.written, std::string("AB"));
        QCOMPARE(fx.dialogs.messages, std::vector<std::string>{"Все команды отправлены"});
        QVERIFY(!f.TimerPeriod->isActive());
        f.CiklSend->setChecked(true);
        QVERIFY(f.TimerPeriod->isActive());
    }

    // A line of the shared list: sent at once in "При выборе", otherwise copied into the command line.
    void oldCmdListClick_data() {
        QTest::addColumn<bool>("onSelection");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("mainStrCmd");
        QTest::addColumn<std::string>("written");
        QTest::newRow("on selection") << true << true << "typed" << std::string("B");
        QTest::newRow("by hand") << false << true << "B" << std::string();
        QTest::newRow("nothing selected") << true << false << "typed" << std::string();
    }
    void oldCmdListClick() {
        QFETCH(bool, onSelection);
        QFETCH(bool, select);
        QFETCH(QString, mainStrCmd);
        QFETCH(std::string, written);
        FormFixture fx;
        TForm1& f = Connect(fx);
        Load(fx, "A\nB\n");
        (onSelection ? f.RBSel : f.RBManual)->click();
        QVERIFY(ShowActive(f));
        f.MainStrCmd->setText(QStringLiteral("typed"));
        if (select) {
            const QRect item = f.OldCmdList->visualItemRect(f.OldCmdList->item(1));
            QTest::mouseClick(f.OldCmdList->viewport(), Qt::LeftButton, {}, item.center());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.MainStrCmd));
        } else {
            f.OldCmdListClick();
        }
        QCOMPARE(f.MainStrCmd->text(), mainStrCmd);
        QCOMPARE(fx.serial.written, written);
        QVERIFY(f.OldCmdList->isEnabled());
    }

    void periodTakesDigitsAndBackspaceOnly() {
        FormFixture fx;
        fx.form->PeriodTX->clear();
        QTest::keyClicks(fx.form->PeriodTX, QStringLiteral("1a2 -3,4.567"));
        QCOMPARE(fx.form->PeriodTX->text(), QStringLiteral("12345"));
        QTest::keyClick(fx.form->PeriodTX, Qt::Key_Backspace);
        QCOMPARE(fx.form->PeriodTX->text(), QStringLiteral("1234"));
    }

    // News of arrivals waits while the device talks on its own, and comes at once for answers: after a command went
    // out, and while every answer sends the next line.
    void answersAreNewsAtOnce() {
        FormFixture fx;
        TForm1& f = Connect(fx);
        QCOMPARE(fx.serial.patienceMs, 50);
        f.RBAfterAns->click();
        QCOMPARE(fx.serial.patienceMs, 0);
        f.RBManual->click();
        QCOMPARE(fx.serial.patienceMs, 50);
        f.SendPortData(QStringLiteral("AT"));
        QCOMPARE(fx.serial.patienceMs, 0);
    }

    // A line the closed port refused is still the next one.
    void aConnectInFileModeSendsTheNextLine() {
        FormFixture fx;
        fx.ports.names = {"/dev/ttyUSB0"};
        fx.form->BTRescanClick();
        Load(fx, "A\nB\n");
        fx.form->SendStart->click();
        QCOMPARE(fx.dialogs.openPortErrorShown, 1);
        fx.form->SendAsReconn->setChecked(true);
        fx.form->BTConnect->click();
        QCOMPARE(fx.serial.written, std::string("A\r"));
    }

    // At the end of the list one notice opens; while it is open the device's packets are received and counted but
    // release nothing. Once it is closed, the next packet opens it again.
    void aTalkingDeviceOpensOneNoticeAtATime() {
        FormFixture fx;
        TForm1& f = Connect(fx);
        Load(fx, "");
        f.RBAfterAns->click();
        fx.dialogs.holdNotices = true;
        const auto packet = [&] {
            fx.serial.incoming += "X\r";
            f.RxTimerTimer(); // reads
            fx.clock.advance(1);
            f.RxTimerTimer(); // the silence ends the packet
        };
        for (int i = 0; i < 5; ++i)
            packet();
        QCOMPARE(fx.dialogs.messages, std::vector<std::string>{"Все команды отправлены"});
        QCOMPARE(f.st.receive.ReadCount, 5);
        QCOMPARE(fx.serial.written, std::string());
        fx.dialogs.openNotices.front()();
        packet();
        QCOMPARE(fx.dialogs.messages.size(), std::size_t{2});
    }

    // Answers that come while a line still drains release one send, which waits; the others move nothing, so no
    // file line is skipped.
    void answersWhileALineDrainsSkipNoFileLine() {
        FormFixture fx;
        TForm1& f = Connect(fx);
        fx.serial.holdWrites = true;
        Load(fx, "A\nB\nC\n");
        f.RBAfterAns->click();
        f.SendStart->click();
        for (int i = 0; i < 3; ++i)
            f.CheckSendDataAftAnswer(0);
        fx.serial.drain(2);
        f.CheckSendDataAftAnswer(0);
        fx.serial.drain(2); // B is out, C goes
        fx.serial.drain(2);
        QCOMPARE(fx.serial.written, std::string("ABC")); // no suffix in this fixture
    }
};

QTEST_MAIN(TestFormSendModes)
#include "test_form_send_modes.moc"
