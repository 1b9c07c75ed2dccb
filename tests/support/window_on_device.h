#pragma once
// The main window on the production port, the system clock and the system port list, in a fresh temporary working
// directory that holds a sound command library, with the virtual device's link chosen in the port box at 9600 baud
// and every timer running. POSIX only; the test program needs a QApplication (see WindowTestMain).

#include "app/appearance.h"
#include "app/form1.h"
#include "recording_dialogs.h"
#include "serial/port_lister.h"
#include "serial/qt_serial_device.h"
#include "sound_library.h"
#include "virtual_device_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace trelvo::test {

class WindowOnDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cwd_.isValid());
        QDir::setCurrent(cwd_.path()); // the history and log files go here
        WriteSoundLibrary(cwd_.filePath(QStringLiteral("CmdConfig")));
        ASSERT_TRUE(vdev.start()) << vdev->lastError();
        lister_ = MakeSystemPortLister(vdev.directory(), "/dev/pts");
        serial.setArrivalClock(&clock_);
        form = std::make_unique<TForm1>(Services{serial, *lister_, clock_, dialogs});
        const int at = form->ComPort->findText(QString::fromStdString(vdev.link()));
        ASSERT_GE(at, 0) << "the link is listed";
        form->ComPort->setCurrentIndex(at);
        form->BaudRate->setCurrentText(QStringLiteral("9600"));
        // Packets end after a short silence, so an answer that crosses two reads stays one entry.
        while (form->st.receive.RxTimeOutMs < 20)
            form->TimeOutRxClick(true);
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(oldCwd_);
    }

    void Connect() {
        form->BTConnect->click();
        ASSERT_TRUE(form->st.port.PortOpen) << (dialogs.messages.empty() ? "" : dialogs.messages.back());
        ASSERT_EQ(Background(form->ComPort), colors::Lime);
    }

    LinkedVirtualDevice vdev;
    QtSerialDevice serial;
    RecordingDialogs dialogs;
    std::unique_ptr<TForm1> form;

private:
    QString oldCwd_ = QDir::currentPath();
    QTemporaryDir cwd_;
    SystemClock clock_;
    std::unique_ptr<PortLister> lister_;
};

inline int WindowTestMain(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace trelvo::test
