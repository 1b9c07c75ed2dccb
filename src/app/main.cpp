// Program entry: the main window, the help editor and the save prompt in their order (the about box and the picture
// of a port not open are made when first shown, see QtDialogs), then the event loop until the main window has closed.

#include "app/appearance.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/production_services.h"
#include "app/qt_dialogs.h"
#include "library/edit_help_form.h"
#include "library/save_form.h"

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
    dialogs.attach(&form1, &save); // the other windows are made when first shown
    dialogs.attachHelpEditor(&formEditHelpCmd);

    form1.show();
    return app.exec();
}
