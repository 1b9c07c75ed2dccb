#pragma once
// The main window over test doubles, in a fresh temporary working directory that holds a sound command library
// (remove it before `build` for a first start). The timers are stopped so that a test drives every tick itself;
// `form` is built in the constructor unless told otherwise. The widget headers the window tests use come with it.

#include "app/appearance.h"
#include "app/form1.h"
#include "fake_port_lister.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "recording_dialogs.h"
#include "sound_library.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace trelvo::test {

class FormFixture {
public:
    explicit FormFixture(bool build = true) : oldCwd_(QDir::currentPath()) {
        static bool looked = false;
        if (!looked) {
            ApplyApplicationLook(*qApp);
            looked = true;
        }
        QDir::setCurrent(dir.path());
        WriteSoundLibrary(path(QStringLiteral("CmdConfig")));
        serial.present = {"/dev/ttyUSB0"};
        if (build) this->build();
    }
    ~FormFixture() {
        form.reset();
        QDir::setCurrent(oldCwd_);
    }
    FormFixture(const FormFixture&) = delete;
    FormFixture& operator=(const FormFixture&) = delete;

    template <class Form = TForm1> Form& build() {
        auto f = std::make_unique<Form>(Services{serial, ports, clock, dialogs});
        Form& ref = *f;
        form = std::move(f);
        for (QTimer* t : {form->RxTimer, form->TimerPeriod, form->CustomFunctions, form->CheckConnect})
            t->stop();
        return ref;
    }

    // Lists /dev/ttyUSB0 and connects to it through the window's own buttons; the calls so far are forgotten.
    TForm1& connect() {
        ports.names = {"/dev/ttyUSB0"};
        form->BTRescan->click();
        form->BTConnect->click();
        serial.log.clear();
        return *form;
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    FakeSerialDevice serial;
    FakePortLister ports;
    ManualClock clock;
    RecordingDialogs dialogs;
    std::unique_ptr<TForm1> form;

private:
    QString oldCwd_;
};

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// Focus moves, and focus-out events arrive, only in an active window.
inline bool ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// A pointer move as the platform delivers it: to the widget under the pointer.
inline void MovePointer(QWidget* w, QPoint at = QPoint(3, 3)) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace trelvo::test
