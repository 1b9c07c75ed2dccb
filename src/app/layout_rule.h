#pragma once
// The main window's resize rule: where each control it names goes for a given size of the window. Horizontally
// one fixed sequence moves and stretches controls by the width change against the start-up width; vertically the
// log views follow the bottom edge and the two panels below them keep their distance to it. No widgets here.

#include <array>

namespace trelvo {

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Box&) const = default;
};

// The geometry of every control the rule places, each in the coordinates of its parent.
struct MainLayout {
    // top bar
    Box Panel1, FiltrLog, Srift, BTPalitra, BTLog, StartLog, StartStop, BtInfo;
    // the log views and the two panels below them
    Box MainWindow, SecondWindow, LogPanel, MainPanel;
    // inside the bottom panel
    Box MainStrCmd, Str1, LPlus, AddStrCmd, Str2, CBLists, STListName, ListNameEDT, EditAllCmd, DelList, SaveF,
        OldCommandsBT, ListDec, ButtonReadFile, ListInc, RBName, RbData, SendStart, ButtonSend, OldCmdList, FastOldCmd,
        LBTail, STLog, StaticText1, StaticText3;
    std::array<Box, 13> HelpTexts{};  // [1..12]
    std::array<Box, 49> CmdButtons{}; // [1..48]
    std::array<Box, 49> CmdEdits{};   // [1..48]

    bool operator==(const MainLayout&) const = default;
};

// Captured at start-up while every control still has its design geometry; it never changes afterwards.
struct LayoutBase {
    int width = 0;  // of the main window's client area
    int height = 0; // likewise
    MainLayout design;

    bool captured() const { return width > 0; }
};

// How much each narrow column of the command grid grows: the width change divided by 7, truncated toward zero.
constexpr int GridStep(int widthChange) {
    return widthChange / 7;
}

// The layout for a client area of width x height, starting from the layout on screen now (`now`): steps that copy
// another control's value read it as it stands at that point of the sequence. fileMode: a command file is loaded
// for sending. A width or height that comes out below zero is given as zero.
MainLayout LayOutMainWindow(const MainLayout& now, const LayoutBase& base, int width, int height, bool fileMode);

} // namespace trelvo
