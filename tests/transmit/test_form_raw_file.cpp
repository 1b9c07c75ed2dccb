// Sending a file's raw bytes from the main window over test doubles: the progress window, other sends refused or
// skipped while the file goes out, and the end entry, counter and message.

#include "serial/line_bar.h"
#include "support/form_fixture.h"
#include "transmit/send_file_progress.h"

#include <QProgressBar>

using namespace trelvo;
using namespace trelvo::test;

namespace {

QString Log(TForm1& f) {
    f.FlushLogView();
    return f.MainWindow->toPlainText();
}

// Connected, with the file `fw.bin` of `size` bytes chosen and going out on a line that takes bytes only when drained.
TForm1& Start(FormFixture& fx, int size) {
    TForm1& f = fx.connect();
    fx.serial.holdWrites = true;
    WriteFile(fx.path(QStringLiteral("fw.bin")), QByteArray(size, '\x55'));
    fx.dialogs.fileAnswers.push_back(QFile::encodeName(fx.path(QStringLiteral("fw.bin"))).toStdString());
    f.LineStatus->Popup->BTSendRawFile->click(); // the line popup's "Отправить файл…"
    return f;
}

} // namespace

class TestFormRawFile : public QObject {
    Q_OBJECT
private slots:
    void otherSendsWaitForTheFileAndItsEndIsLogged() {
        FormFixture fx;
        TForm1& f = Start(fx, 200'000);
        QVERIFY(f.RawFileSending());
        QVERIFY(f.SendFileProgress && f.SendFileProgress->isVisible());
        const std::size_t writes = fx.serial.writes.size();

        // By hand: refused aloud. Scheduled: skipped, and the period timer sleeps.
        f.MainStrCmd->setText(QStringLiteral("AT"));
        f.ButtonSend->click();
        QCOMPARE(fx.dialogs.messages, std::vector<std::string>{"Идёт отправка файла, эта строка не отправлена."});
        f.RBAfterAns->click();
        f.CheckSendDataAftAnswer(0);
        f.RBPeriod->click();
        QVERIFY(!f.TimerPeriod->isActive());
        QCOMPARE(fx.serial.writes.size(), writes);

        fx.serial.drain(100'000);
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 100000 RX: 0"));
        fx.clock.advance(1000);
        emit f.SendFileProgress->refreshDue();
        QCOMPARE(f.SendFileProgress->Progress->value(), 500);
        QCOMPARE(f.SendFileProgress->STAmount->text(), QString::fromUtf8("97,7 КБ из 195,3 КБ (50 %)"));
        QCOMPARE(f.SendFileProgress->STTimeLeft->text(), QString::fromUtf8("Осталось: 0:01"));

        f.VisTime->setChecked(true);
        fx.serial.drain(100'000);
        QVERIFY(!f.RawFileSending());
        QVERIFY(!f.SendFileProgress->isVisible());
        QCOMPARE(Log(f), QString::fromUtf8(" [ 09:07:03:045 > ] Файл fw.bin (200000 байт) отправлен"));
        QCOMPARE(f.StaticText3->text(), QStringLiteral("TX: 200000 RX: 0"));
        QCOMPARE(fx.serial.written, std::string(200'000, '\x55'));
        QVERIFY(f.TimerPeriod->isActive()); // periodic sending goes on
        QCOMPARE(fx.dialogs.messages.size(), 1u);
    }

    void aDisconnectEndsTheFileWithWhatWentOut() {
        FormFixture fx;
        TForm1& f = Start(fx, 200'000);
        fx.serial.drain(3000);
        f.BTConnect->click(); // disconnect
        emit f.SendFileProgress->refreshDue();
        QVERIFY(!f.RawFileSending());
        QCOMPARE(Log(f), QString::fromUtf8("Отправка файла fw.bin прервана после 3000 из 200000 байт"));
        QCOMPARE(
            fx.dialogs.messages,
            std::vector<std::string>{"Отправка файла fw.bin прервана: порт закрыт. Отправлено 3000 из 200000 байт."});
        QVERIFY(!f.SendFileProgress->isVisible());
    }

    void aFileThatDoesNotOpenIsReportedWithTheReason() {
        FormFixture fx;
        fx.connect();
        fx.dialogs.fileAnswers.push_back(QFile::encodeName(fx.path(QStringLiteral("gone.bin"))).toStdString());
        fx.form->SendRawFileClick();
        QCOMPARE(fx.dialogs.messages,
                 std::vector<std::string>{"Не удалось открыть файл gone.bin: No such file or directory"});
        QVERIFY(!fx.form->RawFileSending());
        QVERIFY(fx.serial.writes.empty());
    }
};

QTEST_MAIN(TestFormRawFile)
#include "test_form_raw_file.moc"
