// The main window on the production port, the system clock and the system port list, talking to the virtual
// device through a real pseudo-terminal, with every timer running.

#include "serial/line_bar.h"
#include "support/window_on_device.h"
#include "transmit/send_file_progress.h"

#include <QCheckBox>
#include <QFile>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

namespace trelvo {
namespace {

class AppE2E : public test::WindowOnDeviceTest {
protected:
    void Type(const QString& line, const QString& suffix) {
        form->MainStrCmd->setText(line);
        form->AddStrCmd->setText(suffix);
    }
    QString Log() {
        form->FlushLogView();
        return form->MainWindow->toPlainText();
    }
    bool ComPortTurns(const QColor& colour, int timeoutMs = 2500) {
        return test::RunUntil([&] { return Background(form->ComPort) == colour; }, timeoutMs);
    }
};

struct WireRow {
    const char* name;
    bool hex;
    const char* line;
    const char* suffix;
    std::string wire;
};

void PrintTo(const WireRow& r, std::ostream* os) {
    *os << r.name;
}

class AppWireE2E : public AppE2E, public ::testing::WithParamInterface<WireRow> {};

TEST_P(AppWireE2E, TheDeviceReceivesExactlyTheEncodedBytes) {
    const WireRow& r = GetParam();
    ASSERT_NO_FATAL_FAILURE(Connect());
    (r.hex ? form->RBHEX : form->RBASCII)->click();
    Type(QString::fromLatin1(r.line), QString::fromLatin1(r.suffix));
    form->ButtonSend->click();
    ASSERT_TRUE(test::RunUntilReceived(vdev.device(), r.wire.size())) << "got " << vdev->received().size() << " bytes";
    // One more byte behind it shows that nothing else went out in between.
    Type(r.hex ? QStringLiteral("2E") : QStringLiteral("."), QString());
    form->ButtonSend->click();
    ASSERT_TRUE(test::RunUntilReceived(vdev.device(), r.wire.size() + 1));
    EXPECT_EQ(vdev->received(), r.wire + ".");
}

INSTANTIATE_TEST_SUITE_P(Rows, AppWireE2E,
                         ::testing::Values(WireRow{"AsciiEscapes", false, "AT", "$0D$0A", "AT\r\n"},
                                           WireRow{"EscapeConsumesTwoCharacters", false, "x", "$G1$$$",
                                                   std::string("x\x01\x00", 3)},
                                           WireRow{"HexPairs", true, "00 01 02 03 0D 0E 12 13", "",
                                                   std::string("\x00\x01\x02\x03\x0D\x0E\x12\x13", 8)},
                                           WireRow{"ModbusCrc", true, "01 03 00 00 00 0A", " [CRC16_MODBUS(0..n)]",
                                                   std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8)}),
                         [](const ::testing::TestParamInfo<WireRow>& info) { return std::string(info.param.name); });

TEST_F(AppE2E, APortWithoutControlLinesConnectsWithThemDisabledAndTakesFlowControl) {
    LineBar* bar = form->LineStatus;
    LinePopup* popup = bar->Popup;
    const auto choose = [](QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    choose(popup->CBParity, 1); // even
    choose(popup->CBFlow, 1);   // RTS/CTS
    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(bar->BTLine->text(), QStringLiteral("8E1 RTS/CTS"));
    ASSERT_TRUE(vdev->lineState());
    EXPECT_TRUE(vdev->lineState()->hardwareFlow);
    const QString hint = QString::fromUtf8(kNoControlLinesHint);
    for (LineLamp* lamp : {bar->BTDTR, bar->BTRTS, bar->STCTS, bar->STDSR, bar->STDCD, bar->STRI}) {
        EXPECT_FALSE(lamp->isEnabled()) << lamp->objectName().toStdString();
        EXPECT_TRUE(lamp->toolTip().contains(hint)) << lamp->toolTip().toStdString();
    }
    EXPECT_FALSE(popup->BTPulse->isEnabled());
    EXPECT_FALSE(popup->BTBreak->isEnabled());
    EXPECT_EQ(popup->STLineHint->text(), hint);
    EXPECT_TRUE(popup->BTSendRawFile->isEnabled());
    EXPECT_FALSE(bar->ModemTimer->isActive()); // nothing to look at: no wake-ups

    choose(popup->CBFlow, 2); // XON/XOFF, at once while connected
    EXPECT_TRUE(vdev->lineState()->softwareFlow);
    EXPECT_FALSE(vdev->lineState()->hardwareFlow);
    EXPECT_TRUE(dialogs.messages.empty());
    form->BTConnect->click();
    EXPECT_FALSE(popup->BTSendRawFile->isEnabled());
    ASSERT_NO_FATAL_FAILURE(Connect()); // kept across a reconnect
    EXPECT_TRUE(vdev->lineState()->softwareFlow);
}

TEST_F(AppE2E, EchoAnswerFilterAndCounters) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    vdev->addReply("*", "OK\r");
    form->VisTime->setChecked(true);

    Type(QStringLiteral("AT"), QStringLiteral("$0D"));
    form->ButtonSend->click();
    ASSERT_TRUE(test::RunUntil([&] { return Log().contains(QStringLiteral("OK")); }));
    const QString stamp = QStringLiteral(R"( \[ \d\d:\d\d:\d\d:\d\d\d %1 \] )");
    const QRegularExpression first(QStringLiteral("^") + stamp.arg(">") + "AT\n" + stamp.arg("<") + "OK$");
    EXPECT_TRUE(first.match(Log()).hasMatch()) << Log().toStdString();
    // The port reports its written bytes from the event loop, so a quick answer may be counted first.
    EXPECT_TRUE(test::RunUntil([&] { return form->StaticText3->text() == QStringLiteral("TX: 3 RX: 3"); }))
        << form->StaticText3->text().toStdString();
    EXPECT_EQ(form->LSend->text(), QStringLiteral("Send: 1"));

    // Behind the filter: the echo of ATI passes, the answers do not; everything is still sent and counted.
    form->FiltrLog->setText(QStringLiteral("ATI"));
    Type(QStringLiteral("AT"), QStringLiteral("$0D"));
    form->ButtonSend->click();
    ASSERT_TRUE(test::RunUntil([&] { return form->StaticText3->text() == QStringLiteral("TX: 6 RX: 6"); }));
    Type(QStringLiteral("ATI"), QStringLiteral("$0D"));
    form->ButtonSend->click();
    // every answer read and its packet ended, so the filter has had its say on each
    ASSERT_TRUE(test::RunUntil([&] {
        return form->StaticText3->text() == QStringLiteral("TX: 10 RX: 9") && form->st.receive.RxLen == 0;
    })) << form->StaticText3->text().toStdString();
    const QRegularExpression all(first.pattern().chopped(1) + "\n" + stamp.arg(">") + "ATI$");
    EXPECT_TRUE(all.match(Log()).hasMatch()) << Log().toStdString();
    EXPECT_EQ(form->LSend->text(), QStringLiteral("Send: 3"));
    EXPECT_EQ(vdev->received(), "AT\rAT\rATI\r");
}

// Bytes that arrived but were not read yet are thrown away by the next send: they never reach the log.
TEST_F(AppE2E, ASendPurgesUnreadBytes) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    form->RxTimer->blockSignals(true); // no receive tick, though the port tells of the bytes
    vdev->send("JUNK");
    ASSERT_TRUE(vdev->waitUntilSent(3000));
    ASSERT_TRUE(test::RunUntil([&] { return serial.bytesWaiting() >= 4; })) << "the bytes are waiting on our side";
    vdev->addReply("AT", "OK\r");

    Type(QStringLiteral("AT"), QStringLiteral("$0D"));
    form->ButtonSend->click();
    form->RxTimer->blockSignals(false);
    ASSERT_TRUE(test::RunUntil([&] { return Log().contains(QStringLiteral("OK")); })) << Log().toStdString();
    EXPECT_EQ(Log(), QStringLiteral("AT\nOK"));
    EXPECT_TRUE(test::RunUntil([&] { return form->StaticText3->text() == QStringLiteral("TX: 3 RX: 3"); }))
        << form->StaticText3->text().toStdString();
}

// A long line on a slow line: the send returns at once, the window's event loop goes on turning while the bytes
// drain, a line sent meanwhile follows the long one, and the transfer counter ends at every byte.
TEST_F(AppE2E, ALongLineDrainsWhileTheWindowGoesOn) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    vdev->setReadRate(100'000);
    form->FiltrLog->setText(QStringLiteral("not in the echo")); // keeps the long echo out of the view
    const QString longLine(200'000, QLatin1Char('x'));
    int ticksWhileDraining = 0;
    // A 10 ms heartbeat of its own: the housekeeping tick sleeps while it has nothing to do.
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        if (serial.bytesToWrite() > 0) ++ticksWhileDraining;
    });
    heartbeat.start();

    Type(QStringLiteral("AT"), QStringLiteral("$0D"));
    EXPECT_EQ(form->SendPortData(longLine), SendStatus::Sent);
    EXPECT_GT(serial.bytesToWrite(), 0u) << "the send returned before the line was written";
    form->ButtonSend->click(); // waits for the long line
    const std::size_t total = longLine.size() + 1 + 3;
    ASSERT_TRUE(test::RunUntil([&] { return vdev->received().size() >= total; }, 20000))
        << vdev->received().size() << " of " << total;
    EXPECT_GE(ticksWhileDraining, 5);
    EXPECT_TRUE(vdev->received() == longLine.toStdString() + "\rAT\r");
    EXPECT_TRUE(test::RunUntil([&] { return serial.bytesToWrite() == 0; }));
    EXPECT_EQ(form->StaticText3->text(), QStringLiteral("TX: %1 RX: 0").arg(total));
    EXPECT_EQ(form->LSend->text(), QStringLiteral("Send: 2"));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A file's raw bytes, every byte value in every position of a chunk, arrive exactly as they are on the disk.
TEST_F(AppE2E, ARawFileArrivesByteExact) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    std::string bytes;
    for (int i = 0; i < 300'000; ++i)
        bytes.push_back(static_cast<char>((i + i / 256) % 256));
    QFile file(QStringLiteral("all256.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == qint64(bytes.size()));
    file.close();
    dialogs.fileAnswers.push_back(QFile::encodeName(file.fileName()).toStdString());
    form->SendRawFileClick();
    ASSERT_TRUE(test::RunUntil([&] { return !form->RawFileSending(); }, 20000)) << vdev->received().size();
    ASSERT_TRUE(test::RunUntilReceived(vdev.device(), bytes.size()));
    EXPECT_TRUE(vdev->received() == bytes);
    EXPECT_TRUE(Log().endsWith(QString::fromUtf8("Файл all256.bin (300000 байт) отправлен"))) << Log().toStdString();
    EXPECT_EQ(form->StaticText3->text(), QStringLiteral("TX: 300000 RX: 0"));
    EXPECT_TRUE(dialogs.messages.empty());
}

// "Отмена" stops the line at once: what waited in the port is thrown away, and nothing follows.
TEST_F(AppE2E, ACancelledRawFileStops) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    vdev->setReadRate(50'000);
    QFile file(QStringLiteral("big.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1 << 20, 'z')) == (1 << 20));
    file.close();
    dialogs.fileAnswers.push_back(QFile::encodeName(file.fileName()).toStdString());
    form->SendRawFileClick();
    ASSERT_TRUE(test::RunUntil([&] { return vdev->received().size() >= 20'000; }, 5000));
    form->SendFileProgress->BTCancel->click();
    EXPECT_FALSE(form->RawFileSending());
    EXPECT_FALSE(form->SendFileProgress->isVisible());
    const std::int64_t counted = form->st.counters.TxBytes;
    test::RunUntil([] { return false; }, 500); // whatever was on its way has arrived
    const std::size_t arrived = vdev->received().size();
    test::RunUntil([] { return false; }, 500);
    EXPECT_EQ(vdev->received().size(), arrived) << "nothing goes after the cancel";
    // A block the system took just before the cancel may not have been reported yet.
    EXPECT_LE(arrived, static_cast<std::size_t>(counted) + 65536);
    EXPECT_LT(arrived, 1u << 19);
    const QString entry = QString::fromUtf8("Отправка файла big.bin отменена после %1 из 1048576 байт").arg(counted);
    EXPECT_TRUE(Log().endsWith(entry)) << Log().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AppE2E, AVanishedDeviceTurnsRedAndWithAutoConnectComesBackAndGetsTheLine) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    vdev->vanish();
    ASSERT_TRUE(ComPortTurns(colors::Red));
    EXPECT_EQ(form->BTConnect->text(), QStringLiteral("Disconnect"));
    EXPECT_FALSE(form->st.port.PortOpen);

    Type(QStringLiteral("ATZ"), QStringLiteral("$0D"));
    form->ButtonSend->click();
    EXPECT_EQ(dialogs.openPortErrorShown, 1);

    form->AutoConnect->setChecked(true);
    ASSERT_TRUE(ComPortTurns(colors::Yellow));
    form->SendAsReconn->setChecked(true);
    ASSERT_TRUE(vdev->comeBack()) << vdev->lastError();
    // The reopen pauses 2 s before the line goes out.
    ASSERT_TRUE(test::RunUntil([&] { return vdev->received().size() >= 4; }, 6000));
    EXPECT_EQ(vdev->received(), "ATZ\r");
    EXPECT_EQ(Background(form->ComPort), colors::Lime);
    EXPECT_TRUE(form->st.port.PortOpen);
    EXPECT_EQ(form->BTConnect->text(), QStringLiteral("Disconnect"));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace trelvo

int main(int argc, char** argv) {
    return trelvo::test::WindowTestMain(argc, argv);
}
