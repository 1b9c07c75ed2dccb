// The main window's resize rule on the design geometry.

#include "app/layout_rule.h"

#include <gtest/gtest.h>

using namespace trelvo;

namespace {

LayoutBase Design() {
    LayoutBase base;
    base.width = 944; // client area of the 960 x 797 window
    base.height = 758;
    MainLayout& d = base.design;
    d.Panel1 = {4, 0, 937, 25};
    d.FiltrLog = {580, 2, 125, 21};
    d.Srift = {712, 0, 17, 25};
    d.BTPalitra = {732, 0, 45, 12};
    d.BTLog = {732, 12, 45, 13};
    d.StartLog = {780, 0, 52, 25};
    d.StartStop = {832, 0, 52, 25};
    d.BtInfo = {884, 0, 52, 25};
    d.MainWindow = d.SecondWindow = {4, 28, 937, 382};
    d.LogPanel = {4, 413, 937, 45};
    d.MainPanel = {4, 459, 937, 297};
    d.MainStrCmd = {8, 6, 641, 19};
    d.Str1 = {636, 8, 12, 14};
    d.LPlus = {652, 4, 14, 22};
    d.AddStrCmd = {668, 6, 261, 19};
    d.Str2 = {916, 8, 12, 14};
    d.CBLists = d.STListName = d.ListNameEDT = {8, 32, 289, 33};
    d.EditAllCmd = {302, 32, 87, 33};
    d.DelList = {388, 32, 93, 17};
    d.SaveF = {388, 48, 93, 17};
    d.OldCommandsBT = d.ListDec = {480, 32, 85, 33};
    d.ButtonReadFile = d.ListInc = {564, 32, 85, 33};
    d.RBName = {668, 32, 130, 17};
    d.RbData = {668, 48, 130, 17};
    d.SendStart = {668, 32, 129, 33};
    d.ButtonSend = {800, 32, 129, 33};
    d.OldCmdList = {8, 72, 877, 193};
    d.FastOldCmd = {8, 24, 641, 241};
    d.LBTail = {668, 24, 261, 241};
    d.STLog = d.StaticText1 = {8, 272, 641, 17};
    d.StaticText3 = {668, 272, 261, 17};
    for (int i = 1; i <= 12; ++i)
        d.HelpTexts[i] = {668, 72 + 16 * (i - 1), 261, 17};
    for (int n = 1; n <= 48; ++n) {
        const int c = (n - 1) / 8;
        d.CmdButtons[n] = d.CmdEdits[n] = {8 + 88 * c, 72 + 24 * ((n - 1) % 8), c == 5 ? 201 : 89, 25};
    }
    return base;
}

MainLayout Resized(int dw, bool fileMode = false, int dh = 0) {
    const LayoutBase base = Design();
    return LayOutMainWindow(base.design, base, base.width + dw, base.height + dh, fileMode);
}

} // namespace

TEST(LayoutRule, WidthChangeMovesAndStretchesAsTheTableSays) {
    const struct {
        int dw;
        int narrowWidth, column2Left, column5Left, column6Left, column6Width, staticText1Width;
        int listNameWidth, listNameWidthWithFile;
    } rows[] = {
        {0, 89, 96, 360, 448, 201, 649, 289, 552},   {6, 89, 96, 360, 448, 201, 649, 295, 558},
        {7, 90, 97, 364, 453, 203, 656, 296, 559},   {100, 103, 110, 416, 518, 229, 747, 389, 652},
        {-20, 87, 94, 352, 438, 197, 635, 269, 532},
    };
    for (const auto& r : rows) {
        for (bool fileMode : {false, true}) {
            SCOPED_TRACE(testing::Message() << "dw " << r.dw << (fileMode ? " with a command file" : ""));
            const MainLayout l = Resized(r.dw, fileMode);
            EXPECT_EQ(l.LogPanel.top, 414);
            EXPECT_EQ(l.OldCmdList.left, 4);
            EXPECT_EQ(l.OldCmdList.width, 929 + r.dw);
            EXPECT_EQ(l.StaticText1.left, 8);
            EXPECT_EQ(l.StaticText1.width, r.staticText1Width);
            EXPECT_EQ(l.STListName.width, fileMode ? r.listNameWidthWithFile : r.listNameWidth);
            EXPECT_EQ(l.CBLists.width, 289 + r.dw);
            for (const Box* b : {&l.Panel1, &l.LogPanel, &l.MainPanel, &l.MainWindow, &l.SecondWindow})
                EXPECT_EQ(b->width, 937 + r.dw);
            EXPECT_EQ(l.MainStrCmd.width, 641 + r.dw);
            EXPECT_EQ(l.STLog.width, 641 + r.dw);
            EXPECT_EQ(l.StaticText3, (Box{668 + r.dw, 272, 261, 17}));
            const MainLayout& d = Design().design;
            for (auto [now, was] : {std::pair{l.FiltrLog, d.FiltrLog},
                                    {l.BTPalitra, d.BTPalitra},
                                    {l.BtInfo, d.BtInfo},
                                    {l.AddStrCmd, d.AddStrCmd},
                                    {l.LBTail, d.LBTail},
                                    {l.ListInc, d.ListInc},
                                    {l.SaveF, d.SaveF},
                                    {l.RbData, d.RbData},
                                    {l.HelpTexts[12], d.HelpTexts[12]}})
                EXPECT_EQ(now, (Box{was.left + r.dw, was.top, was.width, was.height}));
            EXPECT_EQ(l.CmdButtons[1], (Box{8, 72, r.narrowWidth, 25}));
            EXPECT_EQ(l.CmdButtons[9].left, r.column2Left);
            EXPECT_EQ(l.CmdButtons[40], (Box{r.column5Left, 240, r.narrowWidth, 25}));
            EXPECT_EQ(l.CmdButtons[41], (Box{r.column6Left, 72, r.column6Width, 25}));
            for (int n = 1; n <= 48; ++n)
                EXPECT_EQ(l.CmdEdits[n], l.CmdButtons[n]) << n;
        }
    }
}

TEST(LayoutRule, TheQuickHistoryTakesTheCommandLineWidthOfTheRunBefore) {
    const LayoutBase base = Design();
    const MainLayout first = LayOutMainWindow(base.design, base, base.width + 100, base.height, false);
    EXPECT_EQ(first.FastOldCmd.width, 641);
    const MainLayout second = LayOutMainWindow(first, base, base.width + 100, base.height, false);
    EXPECT_EQ(second.FastOldCmd.width, 741);
    EXPECT_EQ(LayOutMainWindow(second, base, base.width + 100, base.height, false), second);
}

TEST(LayoutRule, LogViewsFollowTheBottomEdgeAndThePanelsKeepTheirDistanceToIt) {
    for (int dh : {100, -50}) {
        const MainLayout l = Resized(0, false, dh);
        EXPECT_EQ(l.MainWindow, (Box{4, 28, 937, 382 + dh}));
        EXPECT_EQ(l.SecondWindow, l.MainWindow);
        EXPECT_EQ(l.MainPanel, (Box{4, 459 + dh, 937, 297}));
        EXPECT_EQ(l.LogPanel, (Box{4, 414 + dh, 937, 45}));
        EXPECT_EQ(l.CmdButtons[48].top, 240); // nothing inside a panel moves vertically
    }
}

TEST(LayoutRule, AWindowTooSmallForAControlShowsItWithZeroSizeNeverANegativeOne) {
    const MainLayout l = Resized(-900, false, -500);
    EXPECT_EQ(l.MainStrCmd.width, 0);
    EXPECT_EQ(l.CmdButtons[1].width, 0); // 89 - 128
    EXPECT_EQ(l.MainWindow.height, 0);
    EXPECT_EQ(l.Panel1.width, 37);
    EXPECT_EQ(l.CmdButtons[41].left, 448 - 5 * 128); // positions may leave the window; only sizes stop at zero
}
