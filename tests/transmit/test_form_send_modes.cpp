// The send modes in the main window over test doubles: loading and leaving a command file, the period timer's
// wake-ups, the notice that ends a pass, the shared list, `PeriodTX`, and the hand-offs from connect and receive.

#include "support/form_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace trelvo;
using namespace trelvo::test;

namespace {

const std::string kAllSent = "Все команды отправлены";

std::unique_ptr<FormFixture> Connected() {
    auto fx = std::make_unique<FormFixture>(false);
    fx->ports.names = {"/dev/ttyUSB0"};
    fx->build();
    fx->form->BTConnect->click();
    return fx;
}

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

QString WriteFile(const FormFixture& fx, const QByteArray& content) {
    const QString path = fx.path(QStringLiteral("commands.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

void Load(FormFixture& fx, const QString& path) {
    fx.dialogs.fileAnswers.push_back(QFile::encodeName(path).toStdString());
    fx.form->ButtonReadFile->click();
}

} // namespace

class TestFormSendModes : public QObject {
    Q_OBJECT
private slots:
    void loadAndLeaveACommandFile_data() {
        QTest::addColumn<QString>("file"); // "" the file written below, else a name in the working directory
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("message");
        QTest::newRow("three lines") << "" << QByteArray("A\nB\r\nC") << QStringList{"A", "B", "C"} << "";
        QTest::newRow("500 lines") << "" << QByteArray("X\n").repeated(500) << QStringList(500, "X") << "Большой файл";
        // Not opened: the list keeps what it held (the history); unreadable: it holds what was read, nothing.
        QTest::newRow("missing") << "missing.txt" << QByteArray() << QStringList{"old"}
                                 << "missing.txt: No such file or directory";
        QTest::newRow("directory") << "." << QByteArray() << QStringList{} << ".: Is a directory";
    }
    void loadAndLeaveACommandFile() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, items);
        QFETCH(QString, message);
        auto fx = Connected();
        TForm1& f = *fx->form;
        f.OldCmdList->addItem(QStringLiteral("old"));
        f.RBAfterAns->click();
        const QString tooltip = f.STListName->toolTip();

        fx->form->ButtonReadFile->click(); // cancelled: nothing changes
        QCOMPARE(f.ButtonReadFile->text(), QStringLiteral("Из файла"));
        QVERIFY(!f.st.send.FileMode);

        const QString path = file.isEmpty() ? WriteFile(*fx, content) : fx->path(file);
        Load(*fx, path);
        QCOMPARE(f.ButtonReadFile->text(), QStringLiteral("Назад"));
        QVERIFY(f.st.send.FileMode);
        QVERIFY(!f.st.send.HistoryListMode);
        QCOMPARE(Items(f.OldCmdList), items);
        QCOMPARE(f.STListName->text(), path);
        QCOMPARE(f.STListName->width(), 552);
        QVERIFY(f.STListName->toolTip().isEmpty());
        QVERIFY(f.CiklSend->isEnabled()); // after answer
        for (QWidget* w : {(QWidget*)f.CiklSend, (QWidget*)f.STListName, (QWidget*)f.OldCmdList, (QWidget*)f.SendStart})
            QVERIFY2(w->isVisibleTo(&f), qPrintable(w->objectName()));
        for (QWidget* w : {(QWidget*)f.CBLists, (QWidget*)f.EditAllCmd, (QWidget*)f.RBName, (QWidget*)f.RbData})
            QVERIFY2(!w->isVisibleTo(&f), qPrintable(w->objectName()));
        QCOMPARE(fx->dialogs.messages,
                 message.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{message.toStdString()});

        f.SendStart->click();
        f.ButtonReadFile->click();
        QCOMPARE(f.ButtonReadFile->text(), QStringLiteral("Из файла"));
        QVERIFY(!f.st.send.FileMode);
        QVERIFY(f.st.send.HistoryListMode);
        QCOMPARE(f.OldCmdList->count(), 0);
        QCOMPARE(f.STListName->toolTip(), tooltip);
        for (QWidget* w : {(QWidget*)f.CiklSend, (QWidget*)f.STListName, (QWidget*)f.OldCmdList, (QWidget*)f.SendStart})
            QVERIFY2(!w->isVisibleTo(&f), qPrintable(w->objectName()));
        for (QWidget* w : {(QWidget*)f.CBLists, (QWidget*)f.EditAllCmd, (QWidget*)f.RBName, (QWidget*)f.RbData})
            QVERIFY2(w->isVisibleTo(&f), qPrintable(w->objectName()));
        QCOMPARE(f.st.send.FileLineIndex, items.isEmpty() ? 0u : 1u); // kept
    }

    // The QTimer runs only while a tick can send: in periodic mode, with the port open and a period set.
    void periodTimerWakesOnlyWhenASendCanBeDue() {
        auto fx = Connected();
        TForm1& f = *fx->form;
        f.MainStrCmd->setText(QStringLiteral("AT"));
        f.RBPeriod->click();
        QVERIFY(f.st.send.PeriodTimerOn);
        QVERIFY(f.TimerPeriod->isActive());
        f.TimerPeriodTimer(); // sends at once, then sleeps for the period
        QCOMPARE(fx->serial.writes.size(), std::size_t{1});
        QCOMPARE(f.TimerPeriod->interval(), 1001);
        f.PeriodTX->setText(QString());
        QVERIFY(!f.TimerPeriod->isActive());
        f.PeriodTX->setText(QStringLiteral("10"));
        QCOMPARE(f.TimerPeriod->interval(), 11);
        f.RBManual->click();
        QVERIFY(f.st.send.PeriodTimerOn);
        QVERIFY(f.st.send.PeriodTicked);
        QVERIFY(!f.TimerPeriod->isActive());
        f.RBPeriod->click();
        f.BTConnect->click(); // disconnect
        QVERIFY(!f.TimerPeriod->isActive());
        f.BTConnect->click();
        QVERIFY(f.TimerPeriod->isActive());
    }

    // The end of a non-cyclic periodic pass: the timer is off before its notice; ticking CiklSend restarts it.
    void periodicPassEndsWithTheNoticeAndRestartsCyclic() {
        auto fx = Connected();
        TForm1& f = *fx->form;
        f.AddStrCmd->setText(QString());
        Load(*fx, WriteFile(*fx, "A\nB"));
        f.RBPeriod->click();
        f.PeriodTX->setText(QStringLiteral("0"));
        for (int i = 0; i < 3; ++i) {
            fx->clock.advance(1);
            f.TimerPeriodTimer();
        }
        QCOMPARE(fx->serial.written, std::string("AB"));
        QCOMPARE(fx->dialogs.messages, std::vector<std::string>{kAllSent});
        QVERIFY(!f.TimerPeriod->isActive());
        f.CiklSend->setChecked(true);
        QVERIFY(f.TimerPeriod->isActive());
        fx->clock.advance(1);
        f.TimerPeriodTimer();
        QCOMPARE(fx->serial.written, std::string("ABA"));
    }

    // A line of the shared list: sent at once in "При выборе", otherwise copied into the command line.
    void oldCmdListClick_data() {
        QTest::addColumn<bool>("onSelection");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("mainStrCmd");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("on selection") << true << 1 << "typed" << QByteArray("B");
        QTest::newRow("by hand") << false << 1 << "B" << QByteArray();
        QTest::newRow("nothing selected") << true << -1 << "typed" << QByteArray();
    }
    void oldCmdListClick() {
        QFETCH(bool, onSelection);
        QFETCH(int, row);
        QFETCH(QString, mainStrCmd);
        QFETCH(QByteArray, written);
        auto fx = Connected();
        TForm1& f = *fx->form;
        f.AddStrCmd->setText(QString());
        Load(*fx, WriteFile(*fx, "A\nB\n"));
        (onSelection ? f.RBSel : f.RBManual)->click();
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.MainStrCmd->setText(QStringLiteral("typed"));
        if (row >= 0) {
            const QRect item = f.OldCmdList->visualItemRect(f.OldCmdList->item(row));
            QTest::mouseClick(f.OldCmdList->viewport(), Qt::LeftButton, {}, item.center());
        }
        f.OldCmdListClick(); // a click that selects nothing reaches the handler too
        QCOMPARE(f.MainStrCmd->text(), mainStrCmd);
        QCOMPARE(QByteArray::fromStdString(fx->serial.written), written.repeated(row >= 0 ? 2 : 1));
        QVERIFY(f.OldCmdList->isEnabled());
        if (row >= 0) QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.MainStrCmd));
    }

    void periodTakesDigitsAndBackspaceOnly() {
        FormFixture fx;
        fx.form->PeriodTX->clear();
        QTest::keyClicks(fx.form->PeriodTX, QStringLiteral("1a2 -3,4.567"));
        QCOMPARE(fx.form->PeriodTX->text(), QStringLiteral("12345"));
        QTest::keyClick(fx.form->PeriodTX, Qt::Key_Backspace);
        QCOMPARE(fx.form->PeriodTX->text(), QStringLiteral("1234"));
    }

    // A connect in file mode sends the first line; every answer then releases the next one.
    void connectAndAnswersStepThroughTheFile() {
        FormFixture fx;
        TForm1& f = *fx.form;
        fx.ports.names = {"/dev/ttyUSB0"};
        f.BTRescanClick();
        f.AddStrCmd->setText(QStringLiteral("$0D"));
        Load(fx, WriteFile(fx, "A\nB\nC\n"));
        f.RBAfterAns->click();
        f.SendAsReconn->setChecked(true);
        f.BTConnect->click();
        QCOMPARE(fx.serial.written, std::string("A\r"));
        for (const char* answer : {"ok\r", "ok\r", "ok\r"}) {
            fx.serial.incoming += answer;
            fx.clock.advance(1);
            f.RxTimerTimer(); // read
            fx.clock.advance(1);
            f.RxTimerTimer(); // silence: the packet ends and releases the next line
        }
        QCOMPARE(fx.serial.written, std::string("A\rB\rC\r"));
        QCOMPARE(fx.dialogs.messages, std::vector<std::string>{kAllSent});
    }

    // Answers that come while a line still drains release one send, which waits; the others move nothing, so no
    // file line is skipped.
    void answersWhileALineDrainsSkipNoFileLine() {
        auto fx = Connected();
        TForm1& f = *fx->form;
        fx->serial.holdWrites = true;
        Load(*fx, WriteFile(*fx, "A\nB\nC\n"));
        f.RBAfterAns->click();
        f.SendStart->click();
        for (int i = 0; i < 3; ++i)
            f.CheckSendDataAftAnswer(0);
        fx->serial.drain(2);
        f.CheckSendDataAftAnswer(0);
        fx->serial.drain(2); // B is out, C goes
        fx->serial.drain(2);
        QCOMPARE(fx->serial.written, std::string("A\rB\rC\r"));
    }
};

QTEST_MAIN(TestFormSendModes)
#include "test_form_send_modes.moc"
