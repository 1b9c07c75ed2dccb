#include "app/layout_rule.h"

#include <algorithm>

namespace trelvo {

namespace {

void NoNegativeSize(Box& b) {
    b.width = std::max(0, b.width);
    b.height = std::max(0, b.height);
}

} // namespace

MainLayout LayOutMainWindow(const MainLayout& now, const LayoutBase& base, int width, int height, bool fileMode) {
    const MainLayout& d = base.design;
    const int dw = width - base.width;
    const int dh = height - base.height;
    const int a = GridStep(dw);
    MainLayout l = now;

    // Vertical anchoring: the log views stretch with the window, the panels below them keep their bottom distance.
    l.MainPanel.top = d.MainPanel.top + dh;
    l.LogPanel.top = d.LogPanel.top + dh;
    l.MainWindow.height = d.MainWindow.height + dh;
    l.SecondWindow.height = d.SecondWindow.height + dh;

    // The mode panel sits directly on the bottom panel.
    l.LogPanel.top = l.MainPanel.top - l.LogPanel.height;
    l.STLog.width = d.STLog.width + dw;
    l.StaticText3.width = d.StaticText3.width;
    l.FiltrLog.left = d.FiltrLog.left + dw;
    l.SendStart.left = d.SendStart.left + dw;
    l.LPlus.left = d.LPlus.left + dw;
    l.SaveF.left = d.SaveF.left + dw;
    for (Box* b : {&l.Panel1, &l.LogPanel, &l.MainPanel, &l.MainWindow, &l.SecondWindow})
        b->width = d.Panel1.width + dw;
    // The command line's width as it was before this run; the housekeeping tick catches up within 10 ms.
    l.FastOldCmd.width = l.MainStrCmd.width;
    l.Str1.left = d.Str1.left + dw;
    l.Str2.left = d.Str2.left + dw;
    l.Srift.left = d.Srift.left + dw;
    l.StartStop.left = d.StartStop.left + dw;
    l.StartLog.left = d.StartLog.left + dw;
    l.BTLog.left = d.BTLog.left + dw;
    l.MainStrCmd.width = d.MainStrCmd.width + dw;
    l.AddStrCmd.left = d.AddStrCmd.left + dw;
    l.BTPalitra.left = d.BTPalitra.left + dw;
    l.ListInc.left = d.ListInc.left + dw;
    l.ListDec.left = d.ListDec.left + dw;
    l.DelList.left = d.DelList.left + dw;
    l.EditAllCmd.left = d.EditAllCmd.left + dw;
    l.OldCommandsBT.left = d.OldCommandsBT.left + dw;
    l.ButtonReadFile.left = d.ButtonReadFile.left + dw;
    l.ButtonSend.left = d.ButtonSend.left + dw;
    // The history list takes the log view's left, a window coordinate, inside the bottom panel.
    l.OldCmdList.left = l.MainWindow.left;
    l.OldCmdList.width = l.AddStrCmd.left + l.AddStrCmd.width;
    l.STListName.width = d.STListName.width + dw;
    l.ListNameEDT.width = d.ListNameEDT.width + dw;
    l.CBLists.width = d.CBLists.width + dw;
    l.RBName.left = d.RBName.left + dw;
    l.RbData.left = d.RbData.left + dw;
    l.BtInfo.left = d.BtInfo.left + dw;
    l.LBTail.left = l.AddStrCmd.left;
    // A loaded command file gives the list name the width up to the file button, as loading the file does.
    if (fileMode) l.STListName.width = l.STListName.left + l.ButtonReadFile.left - 20;
    for (int i = 1; i <= 12; ++i)
        l.HelpTexts[i].left = d.HelpTexts[i].left + dw;

    // The grid: each narrow column grows by a and shifts by a per column before it; the wide sixth column shifts
    // by 5a and grows by 2a.
    for (int n = 1; n <= 40; ++n) {
        const int column = (n - 1) / 8; // 0..4
        l.CmdButtons[n].width = d.CmdButtons[n].width + a;
        if (column > 0) l.CmdButtons[n].left = d.CmdButtons[n].left + column * a;
    }
    for (int n = 41; n <= 48; ++n) {
        l.CmdButtons[n].left = d.CmdButtons[n].left + 5 * a;
        l.CmdButtons[n].width = d.CmdButtons[n].width + 2 * a;
    }
    for (int n = 1; n <= 48; ++n) {
        l.CmdEdits[n].left = l.CmdButtons[n].left;
        l.CmdEdits[n].width = l.CmdButtons[n].width;
    }
    l.StaticText1.left = l.MainStrCmd.left;
    l.StaticText1.width = l.CmdButtons[41].left + l.CmdButtons[41].width;
    l.StaticText3.left = l.AddStrCmd.left;

    for (Box* b : {&l.Panel1,     &l.FiltrLog,       &l.Srift,      &l.BTPalitra,    &l.BTLog,    &l.StartLog,
                   &l.StartStop,  &l.BtInfo,         &l.MainWindow, &l.SecondWindow, &l.LogPanel, &l.MainPanel,
                   &l.MainStrCmd, &l.Str1,           &l.LPlus,      &l.AddStrCmd,    &l.Str2,     &l.CBLists,
                   &l.STListName, &l.ListNameEDT,    &l.EditAllCmd, &l.DelList,      &l.SaveF,    &l.OldCommandsBT,
                   &l.ListDec,    &l.ButtonReadFile, &l.ListInc,    &l.RBName,       &l.RbData,   &l.SendStart,
                   &l.ButtonSend, &l.OldCmdList,     &l.FastOldCmd, &l.LBTail,       &l.STLog,    &l.StaticText1,
                   &l.StaticText3})
        NoNegativeSize(*b);
    for (Box& b : l.HelpTexts)
        NoNegativeSize(b);
    for (Box& b : l.CmdButtons)
        NoNegativeSize(b);
    for (Box& b : l.CmdEdits)
        NoNegativeSize(b);
    return l;
}

} // namespace trelvo
