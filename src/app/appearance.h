#pragma once
// Colours and fonts of the design, applied the same way on every platform.

#include <QColor>
#include <QFont>

class QWidget;

namespace trelvo {

namespace colors {
inline const QColor Lime{0, 255, 0};
inline const QColor Red{255, 0, 0};
inline const QColor Yellow{255, 255, 0};
inline const QColor Cream{255, 251, 240};
inline const QColor Aqua{0, 255, 255};
inline const QColor Black{0, 0, 0};
inline const QColor Blue{0, 0, 255};
} // namespace colors

// System colours under their Win32 names, taken from the application palette.
QColor BtnFaceColor();
QColor WindowColor();
QColor WindowTextColor();
QColor InfoBkColor();
QColor InactiveBorderColor();
QColor MenuBarColor();

// The design font: the window font at a character height in pixels.
QFont DesignFont(int pixelHeight, bool bold = false);

void SetBackground(QWidget* w, const QColor& c);
QColor Background(const QWidget* w);
void SetTextColor(QWidget* w, const QColor& c);
QColor TextColor(const QWidget* w);

// A narrow drop-down whose text may use part of the arrow's margin, so that six digits fit a 59-pixel box.
void UseNarrowDropDownStyle(QWidget* dropDown);

// The widget's tool tip is shown as the plain text it holds: a command line such as "<b>" would otherwise be
// taken for markup. The toolTip property keeps the text itself, for screen readers and tests.
void ShowToolTipAsPlainText(QWidget* w);

// Moves a window so that it stands in the middle of its screen's free area.
void CenterOnScreen(QWidget* window);

} // namespace trelvo

class QApplication;
namespace trelvo {
// Style, palette and window font of the whole program, the same on every platform.
void ApplyApplicationLook(QApplication& app);
} // namespace trelvo
