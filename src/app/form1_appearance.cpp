// Appearance handlers of the main window.

#include "app/appearance.h"
#include "app/form1.h"
#include "common/dialogs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace trelvo {

// The six schemes, indexed by the number the button holds before a click.
void TForm1::BTPalitraClick() {
    struct Scheme {
        QColor (*background)();
        QColor (*text)();
    };
    static const Scheme schemes[6] = {
        {InactiveBorderColor, WindowTextColor},
        {MenuBarColor, WindowTextColor},
        {[] { return colors::Aqua; }, WindowTextColor},
        {[] { return colors::Black; }, [] { return colors::Lime; }},
        {[] { return colors::Red; }, [] { return colors::Blue; }},
        {WindowColor, WindowTextColor},
    };
    const int number = std::clamp(Tag(BTPalitra), 0, 5);
    const Scheme& scheme = schemes[number];
    SetTag(BTPalitra, (number + 1) % 6);
    const std::initializer_list<QWidget*> six = {MainStrCmd, FastOldCmd, AddStrCmd, OldCmdList, LBTail, MainWindow};
    for (QWidget* w : six)
        SetBackground(w, scheme.background());
    for (QWidget* w : six)
        SetTextColor(w, scheme.text());
}

void TForm1::SriftClick(bool up) {
    if (up && st.shell.LogFontSize < 100) ++st.shell.LogFontSize;
    if (!up && st.shell.LogFontSize > 2) --st.shell.LogFontSize;
    // The views' own font is kept, so it keeps skipping text shaping.
    for (QWidget* view : {static_cast<QWidget*>(MainWindow), static_cast<QWidget*>(SecondWindow)}) {
        QFont font = view->font();
        font.setPointSize(st.shell.LogFontSize);
        view->setFont(font);
    }
}

void TForm1::BtInfoClick() {
    svc_.dialogs.showInfo();
}

} // namespace trelvo
