// The send modes through a real pseudo-terminal: the main window on the production port and the system clock, with
// every timer running, and the virtual device on the other side.

#include "support/window_on_device.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace trelvo {
namespace {

class SendModesE2E : public test::WindowOnDeviceTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(WindowOnDeviceTest::SetUp());
        ASSERT_NO_FATAL_FAILURE(Connect());
        form->AddStrCmd->setText(QStringLiteral("$0D"));
    }
    // The lines the device has received, each ended by CR.
    std::size_t Lines(const std::string& line) {
        const std::string all = vdev->received();
        std::size_t n = 0;
        for (std::size_t at = all.find(line + "\r"); at != std::string::npos; at = all.find(line + "\r", at + 1))
            ++n;
        return n;
    }
};

// Sends are strictly more than P ms apart on the clock, so n lines take at least (n - 1) * (P + 1) ms to arrive.
TEST_F(SendModesE2E, PeriodicSendingArrivesAtThePeriod) {
    form->MainStrCmd->setText(QStringLiteral("P"));
    form->PeriodTX->setText(QStringLiteral("100"));
    QElapsedTimer elapsed;
    elapsed.start();
    form->RBPeriod->click();
    ASSERT_TRUE(test::RunUntil([&] { return Lines("P") >= 5; }, 5000)) << vdev->received();
    EXPECT_GE(elapsed.elapsed(), 4 * 100);
    form->RBManual->click();
    test::RunUntil([] { return false; }, 300); // nothing more goes out
    EXPECT_EQ(vdev->received().size(), Lines("P") * 2) << "only whole lines";
}

TEST_F(SendModesE2E, AfterAnswerKeepsAConversationGoing) {
    vdev->addReply("PING", "PONG\r");
    form->MainStrCmd->setText(QStringLiteral("PING"));
    form->RBAfterAns->click();
    form->ButtonSend->click();
    ASSERT_TRUE(test::RunUntil([&] { return Lines("PING") >= 10; }, 5000)) << vdev->received();
    form->RBManual->click();
    test::RunUntil([] { return false; }, 200);
    const std::size_t pings = Lines("PING");
    EXPECT_EQ(vdev->received().size(), pings * 5) << "only whole PING lines";
    form->FlushLogView();
    EXPECT_GE(form->MainWindow->toPlainText().count(QStringLiteral("PONG")), 9);
}

TEST_F(SendModesE2E, AThreeLineFileSentByHand) {
    const QString path = QDir::current().filePath(QStringLiteral("commands.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("AT\nATI\r\nATZ");
    }
    dialogs.fileAnswers.push_back(QFile::encodeName(path).toStdString());
    form->ButtonReadFile->click();
    ASSERT_EQ(form->OldCmdList->count(), 3);
    for (const char* expected : {"AT\r", "AT\rATI\r", "AT\rATI\rATZ\r"}) {
        form->SendStart->click();
        ASSERT_TRUE(test::RunUntilReceived(vdev.device(), std::string(expected).size()));
        EXPECT_EQ(vdev->received(), expected);
    }
    form->SendStart->click();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back(), "Все команды отправлены");
}

// A device that keeps talking once the list is done: one notice, and while it is open every packet is still read
// and counted (however the notice is shown: as a modal window, the test looks from within its event loop), and
// none releases a send.
TEST_F(SendModesE2E, ATalkingDeviceIsReadWhileTheNoticeIsOpen) {
    while (form->st.receive.RxTimeOutMs > 0) // every pause ends a packet
        form->TimeOutRxClick(false);
    QFile(QStringLiteral("empty.txt")).open(QIODevice::WriteOnly);
    dialogs.fileAnswers.push_back(std::string("empty.txt"));
    form->ButtonReadFile->click();
    form->RBAfterAns->click();
    dialogs.holdNotices = true;
    std::int64_t before = -1, after = -1;
    const auto whileOpen = [&] {
        before = form->st.counters.RxBytes;
        test::RunUntil([] { return false; }, 300);
        after = form->st.counters.RxBytes;
    };
    dialogs.whileMessage = whileOpen;
    vdev->startStream("X\r", 200, true);
    ASSERT_TRUE(test::RunUntil([&] { return !dialogs.messages.empty(); }));
    if (after < 0) whileOpen();
    EXPECT_GE(after - before, 20); // about 60 bytes come in 300 ms
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Все команды отправлены"});
    EXPECT_EQ(vdev->received(), "");
}

} // namespace
} // namespace trelvo

int main(int argc, char** argv) {
    return trelvo::test::WindowTestMain(argc, argv);
}
