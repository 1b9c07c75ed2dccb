// Program entry: the five windows in their order, then the event loop until the main window has closed.

#include "app/appearance.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/info_form.h"
#include "app/production_services.h"
#include "app/qt_dialogs.h"
#include "library/edit_help_form.h"
#include "library/save_form.h"
#include "serial/open_port_error_form.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char** argv) {
    // Answered before QApplication: it needs no display, and the main window would write CmdConfig.
    if (const auto answer = trelvo::ReadCommandLine(argc, argv); answer.exitNow) {
        std::fputs(answer.text.c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    trelvo::ApplyApplicationLook(app);

    trelvo::ProductionServices platform;
    trelvo::QtDialogs dialogs;
    trelvo::TForm1 form1(trelvo::Services{platform.serial(), platform.ports(), platform.clock(), dialogs});
    trelvo::TFormEditHelpCmd formEditHelpCmd(form1, &form1);
    trelvo::TSave save(&form1);
    trelvo::TInfo info(&form1);
    trelvo::TOpenPortError openPortError(&form1);
    dialogs.attach(&form1, &save, &info, &openPortError, form1.OpenDialog1);
    dialogs.attachHelpEditor(&formEditHelpCmd);

    form1.show();
    return app.exec();
}
