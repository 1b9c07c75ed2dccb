#pragma once
// The main window over test doubles, in a fresh temporary working directory that holds a sound command library
// (remove it before `build` for a first start). The timers are stopped so that a
// test drives every tick itself; `form` is built in the constructor unless told otherwise.

#include "app/appearance.h"
#include "app/form1.h"
#include "fake_port_lister.h"
#include "fake_serial_device.h"
#include "manual_clock.h"
#include "recording_dialogs.h"
#include "sound_library.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

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

    template <class Form = TForm1>
    Form& build() {
        auto f = std::make_unique<Form>(Services{serial, ports, clock, dialogs});
        Form& ref = *f;
        form = std::move(f);
        for (QTimer* t : {form->RxTimer, form->TimerPeriod, form->CustomFunctions, form->CheckConnect}) t->stop();
        return ref;
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

} // namespace trelvo::test
