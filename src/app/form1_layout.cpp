// The main window's layout: the geometry captured at start-up and the resize rule applied to the window's size.

#include "app/form1.h"
#include "app/updown.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>

namespace trelvo {

namespace {

// Calls visit(box, widget) for every control the rule places.
template <class Visit> void ForEachPlaced(TForm1& f, MainLayout& l, Visit visit) {
    const std::initializer_list<std::pair<Box*, QWidget*>> single = {
        {&l.Panel1, f.Panel1},
        {&l.FiltrLog, f.FiltrLog},
        {&l.Srift, f.Srift},
        {&l.BTPalitra, f.BTPalitra},
        {&l.BTLog, f.BTLog},
        {&l.StartLog, f.StartLog},
        {&l.StartStop, f.StartStop},
        {&l.BtInfo, f.BtInfo},
        {&l.MainWindow, f.MainWindow},
        {&l.SecondWindow, f.SecondWindow},
        {&l.LogPanel, f.LogPanel},
        {&l.MainPanel, f.MainPanel},
        {&l.MainStrCmd, f.MainStrCmd},
        {&l.Str1, f.Str1},
        {&l.LPlus, f.LPlus},
        {&l.AddStrCmd, f.AddStrCmd},
        {&l.Str2, f.Str2},
        {&l.CBLists, f.CBLists},
        {&l.STListName, f.STListName},
        {&l.ListNameEDT, f.ListNameEDT},
        {&l.EditAllCmd, f.EditAllCmd},
        {&l.DelList, f.DelList},
        {&l.SaveF, f.SaveF},
        {&l.OldCommandsBT, f.OldCommandsBT},
        {&l.ListDec, f.ListDec},
        {&l.ButtonReadFile, f.ButtonReadFile},
        {&l.ListInc, f.ListInc},
        {&l.RBName, f.RBName},
        {&l.RbData, f.RbData},
        {&l.SendStart, f.SendStart},
        {&l.ButtonSend, f.ButtonSend},
        {&l.OldCmdList, f.OldCmdList},
        {&l.FastOldCmd, f.FastOldCmd},
        {&l.LBTail, f.LBTail},
        {&l.STLog, f.STLog},
        {&l.StaticText1, f.StaticText1},
        {&l.StaticText3, f.StaticText3},
    };
    for (const auto& [box, widget] : single)
        visit(*box, widget);
    for (std::size_t i = 1; i <= 12; ++i)
        visit(l.HelpTexts[i], f.HelpTexts[i]);
    for (std::size_t i = 1; i <= 48; ++i) {
        visit(l.CmdButtons[i], f.CmdButtons[i]);
        visit(l.CmdEdits[i], f.CmdEdits[i]);
    }
}

MainLayout Current(TForm1& f) {
    MainLayout l;
    ForEachPlaced(f, l, [](Box& b, QWidget* w) {
        const QRect g = w->geometry();
        b = {g.x(), g.y(), g.width(), g.height()};
    });
    return l;
}

} // namespace

void TForm1::CaptureLayoutBase() {
    st.shell.LayoutBase.design = Current(*this);
    // The client area has the window's size: there is no menu, tool or status bar.
    st.shell.LayoutBase.width = width();
    st.shell.LayoutBase.height = height();
}

void TForm1::FormCanResize() {
    if (!st.shell.LayoutBase.captured()) return;
    MainLayout next = LayOutMainWindow(Current(*this), st.shell.LayoutBase, width(), height(), st.send.FileMode);
    ForEachPlaced(*this, next, [](Box& b, QWidget* w) {
        const QRect g(b.left, b.top, b.width, b.height);
        if (w->geometry() != g) w->setGeometry(g);
    });
    PlacePlotControl();
    PlaceLineStatus();
}

// Evaluated with the size the window has after the change, so the layout always matches the window.
void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormCanResize();
}

} // namespace trelvo
