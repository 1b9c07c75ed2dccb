#pragma once
// The line controls of the main window's status row: a button with the line's short form that opens the line
// settings, DTR and RTS (clickable) and the four modem status lines; and the settings popup itself. The widgets
// only show and report; TForm1's handlers (form1_line.cpp) decide.

#include <QAbstractButton>
#include <QFrame>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace trelvo {

// A lamp with a line's name: lime while the line is on. DTR and RTS take clicks and the keyboard; the status lines
// only show.
class LineLamp final : public QAbstractButton {
    Q_OBJECT
public:
    LineLamp(const QString& name, bool clickable, QWidget* parent);
    void setOn(bool on);
    bool isOn() const { return on_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
};

// The line settings: parity, flow control, the reset pulse, break, and sending a file as it is.
class LinePopup final : public QFrame {
    Q_OBJECT
public:
    explicit LinePopup(QWidget* parent);

    QComboBox* CBParity;    // none, even, odd, mark, space
    QComboBox* CBFlow;      // none, RTS/CTS, XON/XOFF
    QComboBox* CBPulseLine; // DTR, RTS
    QSpinBox* PulseMs;      // 10..5000
    QPushButton* BTPulse;
    QPushButton* BTBreak;
    QPushButton* BTSendRawFile;
    QLabel* STLineHint; // why the line controls are disabled

    // Opens below (or, without room, above) the given button.
    void popUpAt(QWidget* anchor);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class LineBar final : public QWidget {
    Q_OBJECT
public:
    explicit LineBar(QWidget* parent);

    QPushButton* BTLine; // "8N1", "8E1 RTS/CTS", ...: opens the popup
    LineLamp* BTDTR;
    LineLamp* BTRTS;
    LineLamp* STCTS;
    LineLamp* STDSR;
    LineLamp* STDCD;
    LineLamp* STRI;
    LinePopup* Popup;
    QTimer* ModemTimer; // looks at the modem status lines while the port has them
    QTimer* PulseTimer; // ends the reset pulse
    QTimer* BreakTimer; // ends the break

    // Shows the line's short form; the bar grows or shrinks with it (its owner places it again).
    void setSummary(const QString& text);
    // The bar steps aside while `other`, a hint shown over the same row, is visible, so that the hint reads in full.
    void giveWayTo(QWidget* other);
    // `caption` starts the same row, left of the bar. Where its text would run under the bar it is drawn cut with
    // "…", and its tooltip shows it whole; its text() stays whole.
    void shareRowWith(QLabel* caption);
    // How wide the caption's text may be drawn (its full width when nothing is cut).
    int captionRoom() const;
    bool captionCut() const;

    // Room left free between the bar and the transfer counter: the plot's button and a gap either side of it.
    static constexpr int kGapRight = 104;
    static constexpr int kHeight = 17;
    // Between the end of the caption's text and the bar.
    static constexpr int kCaptionGap = 8;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arrange();
    int captionWidth() const;
    void paintCaptionCut();
    QWidget* giveWayTo_ = nullptr;
    QLabel* caption_ = nullptr;
};

} // namespace trelvo
