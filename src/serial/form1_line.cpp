// Line control handlers of the main window: parity and flow control, DTR and RTS, the reset pulse, break and the
// modem status lines, shown in the status row and its popup.

#include "app/form1.h"

#include "common/dialogs.h"
#include "serial/line_bar.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace trelvo {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The popup lists parity as a user reads it, none first and then even before odd.
constexpr Parity kParityItems[] = {Parity::None, Parity::Even, Parity::Odd, Parity::Mark, Parity::Space};
constexpr FlowControl kFlowItems[] = {FlowControl::None, FlowControl::Hardware, FlowControl::Software};

template <class T, std::size_t N> int IndexOf(const T (&items)[N], T value) {
    for (std::size_t i = 0; i < N; ++i)
        if (items[i] == value) return static_cast<int>(i);
    return 0;
}

} // namespace

void TForm1::BuildLineStatus() {
    LineStatus = new LineBar(MainPanel);
    // The editing-mode hint shares the row and is as wide as it: it reads in full while it is shown.
    LineStatus->giveWayTo(StaticText1);
    // The log file's caption starts the row; in a narrow window a long one is cut short of the bar.
    LineStatus->shareRowWith(STLog);
    PlaceLineStatus();
}

void TForm1::PlaceLineStatus() {
    LineStatus->move(StaticText3->x() - LineBar::kGapRight - LineStatus->width(), StaticText3->y());
    STLog->update(); // the room left for its text may have changed
}

void TForm1::ConnectLineControl() {
    LineBar* bar = LineStatus;
    LinePopup* popup = bar->Popup;
    connect(bar->BTLine, &QPushButton::clicked, this, &TForm1::BTLineClick);
    connect(popup->CBParity, &QComboBox::activated, this, &TForm1::LineOptionsChange);
    connect(popup->CBFlow, &QComboBox::activated, this, &TForm1::LineOptionsChange);
    connect(bar->BTDTR, &QAbstractButton::clicked, this, &TForm1::BTDTRClick);
    connect(bar->BTRTS, &QAbstractButton::clicked, this, &TForm1::BTRTSClick);
    connect(popup->BTPulse, &QPushButton::clicked, this, &TForm1::BTPulseClick);
    connect(popup->BTBreak, &QPushButton::clicked, this, &TForm1::BTBreakClick);
    // The file dialog takes over from the popup, which would otherwise stay open behind it.
    connect(popup->BTSendRawFile, &QPushButton::clicked, this, [this] {
        LineStatus->Popup->hide();
        SendRawFileClick();
    });
    connect(popup->CBPulseLine, &QComboBox::activated, this, [this](int index) {
        line_.setPulseLine(index == 1 ? kRts : kDtr);
        ShowLineControl();
    });
    connect(popup->PulseMs, &QSpinBox::valueChanged, this, [this](int ms) { line_.setPulseMs(ms); });
    connect(bar->ModemTimer, &QTimer::timeout, this, &TForm1::ModemTimerTimer);
    connect(bar->PulseTimer, &QTimer::timeout, this, &TForm1::PulseTimerTimer);
    connect(bar->BreakTimer, &QTimer::timeout, this, &TForm1::BreakTimerTimer);
    // The short form shows the data and stop bits of the top bar's boxes.
    for (QComboBox* box : {ComBits, ComStopBits})
        connect(box, &QComboBox::currentIndexChanged, this, &TForm1::ShowLineControl);
    bar->ModemTimer->setInterval(kModemPollMs);
    // A port that tells changes of its modem lines needs no timer; the telling reads them as the timer would.
    line_.watchLines([this] { ModemTimerTimer(); });
    ShowLineControl();
}

void TForm1::FollowLine() {
    if (line_.follow()) ShowLineControl();
}

void TForm1::BTLineClick() {
    LineStatus->Popup->popUpAt(LineStatus->BTLine);
}

void TForm1::LineOptionsChange() {
    const LinePopup* popup = LineStatus->Popup;
    LineOptions wanted;
    wanted.parity = kParityItems[std::max(0, popup->CBParity->currentIndex())];
    wanted.flow = kFlowItems[std::max(0, popup->CBFlow->currentIndex())];
    if (wanted == line_.options()) return;
    if (const auto refused = line_.setOptions(wanted))
        svc_.dialogs.message("Порт не принял параметры линии.\n" + *refused);
    ShowLineControl();
}

void TForm1::BTDTRClick() {
    line_.setLine(kDtr, !line_.wish(kDtr));
    ShowLineControl();
}

void TForm1::BTRTSClick() {
    line_.setLine(kRts, !line_.wish(kRts));
    ShowLineControl();
}

void TForm1::BTPulseClick() {
    if (line_.beginPulse()) LineStatus->PulseTimer->start(line_.pulseMs());
    ShowLineControl();
}

void TForm1::BTBreakClick() {
    if (line_.beginBreak()) LineStatus->BreakTimer->start(kBreakMs);
    ShowLineControl();
}

void TForm1::ModemTimerTimer() {
    if (line_.refresh()) ShowLineControl();
}

void TForm1::PulseTimerTimer() {
    line_.endPulse();
    ShowLineControl();
}

void TForm1::BreakTimerTimer() {
    line_.endBreak();
    ShowLineControl();
}

void TForm1::ShowLineControl() {
    LineBar* bar = LineStatus;
    LinePopup* popup = bar->Popup;
    const LineControlView& v = line_.view();
    const LineOptions& options = line_.options();

    bar->setSummary(QString::fromStdString(LineSummary(ComBits->currentText().toStdString(), options.parity,
                                                       ComStopBits->currentText().toStdString(), options.flow)));
    PlaceLineStatus();
    popup->CBParity->setCurrentIndex(IndexOf(kParityItems, options.parity));
    popup->CBFlow->setCurrentIndex(IndexOf(kFlowItems, options.flow));
    popup->CBPulseLine->setCurrentIndex(line_.pulseLine() == kRts ? 1 : 0);

    // What to say where a line control cannot be used now.
    QString why;
    if (!v.open)
        why = U("Линии управления доступны при открытом порте");
    else if (!v.hasLines)
        why = U(kNoControlLinesHint);
    const QString rtsWhy = why.isEmpty() && v.rtsByDriver ? U(kRtsByDriverHint) : why;

    const struct {
        LineLamp* lamp;
        ControlLine line;
        const char* hint;
    } lamps[] = {
        {bar->BTDTR, kDtr, "DTR: щелчок или пробел включает и выключает линию"},
        {bar->BTRTS, kRts, "RTS: щелчок или пробел включает и выключает линию"},
        {bar->STCTS, kCts, "CTS: готовность устройства принять данные"},
        {bar->STDSR, kDsr, "DSR: устройство готово"},
        {bar->STDCD, kDcd, "DCD: наличие несущей"},
        {bar->STRI, kRi, "RI: вызов"},
    };
    for (const auto& l : lamps) {
        const bool usable = l.line == kDtr || l.line == kRts ? line_.canSet(l.line) : v.open && v.hasLines;
        l.lamp->setEnabled(usable);
        l.lamp->setOn(usable && (v.lines & l.line) != 0);
        const QString& reason = l.line == kRts ? rtsWhy : why;
        l.lamp->setToolTip(reason.isEmpty() ? U(l.hint) : U(l.hint) + QStringLiteral("\n") + reason);
    }

    popup->BTPulse->setEnabled(line_.canPulse());
    popup->BTBreak->setEnabled(line_.canBreak());
    popup->BTSendRawFile->setEnabled(st.port.PortOpen);
    const bool pulseOnRts = line_.pulseLine() == kRts;
    popup->STLineHint->setText(pulseOnRts ? rtsWhy : why);
    popup->STLineHint->setVisible(!popup->STLineHint->text().isEmpty());
    if (popup->isVisible()) popup->adjustSize();

    if (line_.wantsPolling() != bar->ModemTimer->isActive()) {
        if (line_.wantsPolling())
            bar->ModemTimer->start();
        else
            bar->ModemTimer->stop();
    }
}

} // namespace trelvo
