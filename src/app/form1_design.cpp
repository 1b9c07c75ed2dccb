// The main window as designed: every control at its place and size, with its caption, hint, font, colour and
// start visibility. Behaviour is wired elsewhere; this file only describes.

#include "app/appearance.h"
#include "app/form1.h"
#include "app/updown.h"
#include "receive/log_scroll_bar.h"
#include "receive/log_text_view.h"
#include "serial/port_box.h"
#include "transmit/checksum.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace trelvo {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

template <class W, class... Args>
W* Make(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    W* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

QPushButton* Button(QWidget* parent, const char* name, QRect g, const char* caption, const char* hint = nullptr) {
    auto* b = Make<QPushButton>(parent, name, g);
    b->setText(U(caption));
    if (hint) b->setToolTip(U(hint));
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, QRect g, const char* caption, const char* hint = nullptr) {
    auto* l = Make<QLabel>(parent, name, g);
    l->setTextFormat(Qt::PlainText); // list and file names are shown exactly as stored, never as markup
    l->setText(U(caption));
    if (hint) l->setToolTip(U(hint));
    return l;
}

// A label whose text changes while data flows (counters, the clock), redrawn up to twenty times a second. Its one
// line is drawn at a point, as QLabel places it, which spares the line breaking QLabel's paint does for each text.
class FigureLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        const QFontMetricsF m(font());
        const QRectF r = contentsRect();
        p.drawText(QPointF(r.left(), r.top() + (r.height() - m.height()) / 2 + m.ascent()), text());
    }
};

// Opaque, a figure is repainted alone rather than together with the panel and window beneath it; of fixed size and
// plain text, a new text neither asks the parent to lay out again nor is looked at as rich text.
QLabel* Figure(QWidget* parent, const char* name, QRect g, const char* caption, const char* hint = nullptr) {
    auto* l = Make<FigureLabel>(parent, name, g);
    l->setText(U(caption));
    if (hint) l->setToolTip(U(hint));
    l->setTextFormat(Qt::PlainText);
    l->setFixedSize(g.size());
    l->setAutoFillBackground(true);
    return l;
}

QFrame* Panel(QWidget* parent, const char* name, QRect g) {
    auto* p = Make<QFrame>(parent, name, g);
    p->setFrameShape(QFrame::StyledPanel);
    p->setFrameShadow(QFrame::Raised);
    return p;
}

QComboBox* DropDown(QWidget* parent, const char* name, QRect g, const char* hint, QStringList entries, int selected) {
    auto* c = Make<QComboBox>(parent, name, g);
    c->addItems(entries);
    c->setCurrentIndex(selected);
    c->setToolTip(U(hint));
    return c;
}

} // namespace

void TForm1::BuildDesign() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trelvo"));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    resize(944, 758); // client area of the 960 x 797 design window

    BuildTopBar();
    MainWindow = Make<LogTextView>(client, "MainWindow", {4, 28, 937, 382});
    MainWindow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MainWindow->setVerticalScrollBar(new LogScrollBar(Qt::Vertical));
    QFont logFont = DesignFont(11);
    logFont.setPointSize(8);
    // Log text needs no ligatures or kerning; without shaping, laying out a flood of it costs about half.
    logFont.setStyleStrategy(QFont::PreferNoShaping);
    MainWindow->setFont(logFont);
    SecondWindow = Make<QPlainTextEdit>(client, "SecondWindow", {4, 28, 937, 382});
    SecondWindow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SecondWindow->setUndoRedoEnabled(false);
    SecondWindow->setFont(logFont);
    SetBackground(SecondWindow, InfoBkColor());
    SecondWindow->hide();
    BuildModePanel();
    BuildBottomPanel();
    BuildPlotControl();

    RxTimer = new QTimer(this);
    RxTimer->setObjectName(QStringLiteral("RxTimer"));
    RxTimer->setInterval(1);
    RxTimer->setTimerType(Qt::PreciseTimer);
    TimerPeriod = new QTimer(this);
    TimerPeriod->setObjectName(QStringLiteral("TimerPeriod"));
    TimerPeriod->setInterval(1);
    TimerPeriod->setTimerType(Qt::PreciseTimer);
    CustomFunctions = new QTimer(this);
    CustomFunctions->setObjectName(QStringLiteral("CustomFunctions"));
    CustomFunctions->setInterval(10);
    CheckConnect = new QTimer(this);
    CheckConnect->setObjectName(QStringLiteral("CheckConnect"));
    CheckConnect->setInterval(1000);
}

void TForm1::BuildTopBar() {
    QWidget* client = centralWidget();
    Panel1 = Panel(client, "Panel1", {4, 0, 937, 25});
    BTConnect = Button(Panel1, "BTConnect", {0, 0, 64, 25}, "Connect");
    BTRescan = Button(Panel1, "BTRescan", {64, 0, 64, 25}, "ReScan");
    ComPort = Make<PortBox>(Panel1, "ComPort", {128, 2, 59, 21});
    ComPort->setToolTip(U("Port"));
    BaudRate = DropDown(Panel1, "BaudRate", {188, 2, 59, 21}, "BaudRate",
                        {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800",
                         "921600"},
                        0);
    ComBits = DropDown(Panel1, "ComBits", {248, 2, 59, 21}, "Bits", {"5", "6", "7", "8"}, 3);
    ComStopBits = DropDown(Panel1, "ComStopBits", {308, 2, 59, 21}, "StopBit", {"1", "1,5", "2"}, 0);
    for (QComboBox* box : {BaudRate, ComBits, ComStopBits}) UseNarrowDropDownStyle(box); // "115200" whole
    AutoConnect = Make<QCheckBox>(Panel1, "AutoConnect", {372, 4, 82, 17});
    AutoConnect->setText(QStringLiteral("AutoConnect"));
    // The caption is a letter wider than the box at the window's font; a pixel smaller and a tighter gap fit it
    // without moving a control, as for "Colors" and "Clear".
    AutoConnect->setFont(DesignFont(10));
    AutoConnect->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    TimeOutRx = Make<UpDown>(Panel1, "TimeOutRx", {456, 0, 17, 25}, 0, 10000);
    TimeOutRx->setToolTip(U("Временнй интервал разделения пакетов, мс"));
    TimeOutAns = Label(Panel1, "TimeOutAns", {476, 4, 100, 17}, "TimeOutRX: 10000");
    TimeOutAns->setAutoFillBackground(true);
    FiltrLog = Make<QLineEdit>(Panel1, "FiltrLog", {580, 2, 125, 21});
    FiltrLog->setMaxLength(250);
    FiltrLog->setFont(DesignFont(11, true));
    FiltrLog->setToolTip(U("Фильтр сообщений"));
    Srift = Make<UpDown>(Panel1, "Srift", {712, 0, 17, 25}, 0, 100);
    Srift->setToolTip(U("Размер шрифта"));
    BTPalitra = Button(Panel1, "BTPalitra", {732, 0, 45, 12}, "Colors", "Цвет окна лога");
    BTPalitra->setFont(DesignFont(9));
    BTLog = Button(Panel1, "BTLog", {732, 12, 45, 13}, "Clear", "Очистить окно лога");
    BTLog->setFont(DesignFont(9));
    StartLog = Button(Panel1, "StartLog", {780, 0, 52, 25}, "Start Log");
    StartStop = Button(Panel1, "StartStop", {832, 0, 52, 25}, "||", "Остановить/продолжить вывод лога");
    StartStop->setFont(DesignFont(32, true));
    BtInfo = Button(Panel1, "BtInfo", {884, 0, 52, 25}, "Info");
}

void TForm1::BuildModePanel() {
    LogPanel = Panel(centralWidget(), "LogPanel", {4, 413, 937, 45});
    TextTime = Figure(LogPanel, "TextTime", {6, 4, 60, 17}, "00:00:00");
    VisTime = Make<QCheckBox>(LogPanel, "VisTime", {6, 23, 64, 17});
    VisTime->setText(QStringLiteral("TIME + "));

    OutMode = Panel(LogPanel, "OutMode", {72, 2, 62, 41});
    RBASCII = Make<QRadioButton>(OutMode, "RBASCII", {4, 3, 56, 17});
    RBASCII->setText(QStringLiteral("ASCII"));
    RBASCII->setToolTip(U("Пример: \"command\""));
    RBASCII->setChecked(true);
    RBHEX = Make<QRadioButton>(OutMode, "RBHEX", {4, 21, 56, 17});
    RBHEX->setText(QStringLiteral("HEX"));
    RBHEX->setToolTip(U("Пример: \"00 01 02 03 0D 0E 12 13\""));

    InputMode = Panel(LogPanel, "InputMode", {138, 2, 452, 41});
    Label1 = Label(InputMode, "Label1", {4, 2, 80, 17}, "Отправка:");
    Label1->setFont(DesignFont(13));
    SendAsReconn = Make<QCheckBox>(InputMode, "SendAsReconn", {88, 2, 170, 17});
    SendAsReconn->setText(U("Отправить при соединении"));
    CiklSend = Make<QCheckBox>(InputMode, "CiklSend", {262, 2, 188, 17});
    CiklSend->setText(U("Циклическая отправка из файла"));
    CiklSend->hide();
    RBManual = Make<QRadioButton>(InputMode, "RBManual", {4, 21, 64, 17});
    RBManual->setText(U("Ручная"));
    RBManual->setChecked(true);
    RBAfterAns = Make<QRadioButton>(InputMode, "RBAfterAns", {70, 21, 100, 17});
    RBAfterAns->setText(U("После ответа"));
    RBSel = Make<QRadioButton>(InputMode, "RBSel", {172, 21, 94, 17});
    RBSel->setText(U("При выборе"));
    RBPeriod = Make<QRadioButton>(InputMode, "RBPeriod", {268, 21, 100, 17});
    RBPeriod->setText(U("Период, мс:"));
    PeriodTX = Make<QLineEdit>(InputMode, "PeriodTX", {370, 19, 56, 19});
    PeriodTX->setText(QStringLiteral("1000"));
    PeriodTX->setMaxLength(5);

    PStats = Panel(LogPanel, "PStats", {594, 2, 339, 41});
    LSend = Figure(PStats, "LSend", {6, 3, 100, 17}, "Send: 0", "Число отправленных пакетов");
    LRead = Figure(PStats, "LRead", {6, 21, 100, 17}, "Read: 0", "Число принятых пакетов");
    MinTimeWait = Figure(PStats, "MinTimeWait", {110, 3, 130, 17}, "MIN_T_W:  NA",
                         "Минимальное время между принятыми пакетами");
    MaxTimeWait = Figure(PStats, "MaxTimeWait", {110, 21, 130, 17}, "MAX_T_W: NA",
                         "Максимальное время между принятыми пакетами");
    BTClrStat = Button(PStats, "BTClrStat", {296, 5, 37, 31}, "0", "Обнулить статистику");
    BTClrStat->setFont(DesignFont(13, true));
}

void TForm1::BuildBottomPanel() {
    MainPanel = Panel(centralWidget(), "MainPanel", {4, 459, 937, 297});
    QWidget* p = MainPanel;
    MainStrCmd = Make<QLineEdit>(p, "MainStrCmd", {8, 6, 641, 19});
    MainStrCmd->setToolTip(U("Командная строка"));
    MainStrCmd->setMaxLength(32767 * 64); // no practical limit
    Str1 = Label(p, "Str1", {636, 8, 12, 14}, "");
    LPlus = Label(p, "LPlus", {652, 4, 14, 22}, "+");
    LPlus->setFont(DesignFont(19, true));
    AddStrCmd = Make<QLineEdit>(p, "AddStrCmd", {668, 6, 261, 19});
    AddStrCmd->setText(QStringLiteral("$0D"));
    AddStrCmd->setToolTip(U("Примеры: $0D$0A, *[XOR_8(1..n)]$0D$0A. Список алгоритмов расчёта контрольной суммы "
                            "появляется при нажатии \"Стрелка вниз\". "));
    Str2 = Label(p, "Str2", {916, 8, 12, 14}, "");
    for (QLabel* arrow : {Str1, Str2}) {
        arrow->setFont(DesignFont(9, true));
        arrow->setCursor(Qt::PointingHandCursor);
    }

    CBLists = DropDown(p, "CBLists", {8, 32, 289, 33}, "Можно дважды кликнуть мышкой", {}, -1);
    CBLists->setFont(DesignFont(20, true));
    STListName = Label(p, "STListName", {8, 32, 289, 33}, "", "Список откроется по двойному клику");
    STListName->setFont(DesignFont(24, true));
    STListName->setFrameShape(QFrame::Panel);
    STListName->setFrameShadow(QFrame::Sunken);
    STListName->hide();
    ListNameEDT = Make<QLineEdit>(p, "ListNameEDT", {8, 32, 289, 33});
    ListNameEDT->setMaxLength(150);
    ListNameEDT->setFont(DesignFont(20, true));
    ListNameEDT->hide();

    EditAllCmd = Button(p, "EditAllCmd", {302, 32, 87, 33}, "Редактор");
    DelList = Button(p, "DelList", {388, 32, 93, 17}, "Очистить", "Очистить весь список команд");
    SaveF = Button(p, "SaveF", {388, 48, 93, 17}, "Сохранить", "Сохранить все изменения в файл");
    OldCommandsBT = Button(p, "OldCommandsBT", {480, 32, 85, 33}, "Отправленные");
    ListDec = Button(p, "ListDec", {480, 32, 85, 33}, "<<<<<");
    ButtonReadFile = Button(p, "ButtonReadFile", {564, 32, 85, 33}, "Из файла");
    ListInc = Button(p, "ListInc", {564, 32, 85, 33}, ">>>>>");
    for (QPushButton* b : {ListDec, ListInc}) b->setFont(DesignFont(16, true));
    for (QWidget* w : {static_cast<QWidget*>(DelList), static_cast<QWidget*>(SaveF), static_cast<QWidget*>(ListDec),
                       static_cast<QWidget*>(ListInc), static_cast<QWidget*>(OldCommandsBT)})
        w->hide();
    ListDec->setEnabled(false);

    RBName = Make<QRadioButton>(p, "RBName", {668, 32, 130, 17});
    RBName->setText(U("Имя команды"));
    RBName->setChecked(true);
    RbData = Make<QRadioButton>(p, "RbData", {668, 48, 130, 17});
    RbData->setText(U("Командная строка"));
    SendStart = Button(p, "SendStart", {668, 32, 129, 33}, "Отправить из файла");
    SendStart->hide();
    ButtonSend = Button(p, "ButtonSend", {800, 32, 129, 33}, "Отправить");

    BuildCommandGrid();

    for (int i = 1; i <= 12; ++i) {
        auto* h = Make<QLabel>(p, "", {668, 72 + 16 * (i - 1), 261, 17});
        h->setObjectName(QStringLiteral("STH%1").arg(i));
        h->setTextFormat(Qt::PlainText);
        h->setFont(DesignFont(11, i == 1));
        h->setAlignment(i == 1 ? Qt::AlignHCenter | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        SetBackground(h, colors::Cream);
        HelpTexts[static_cast<std::size_t>(i)] = h;
    }

    OldCmdList = Make<QListWidget>(p, "OldCmdList", {8, 72, 877, 193});
    OldCmdList->hide();
    FastOldCmd = Make<QListWidget>(p, "FastOldCmd", {8, 24, 641, 241});
    FastOldCmd->hide();
    LBTail = Make<QListWidget>(p, "LBTail", {668, 24, 261, 241});
    for (std::string_view directive : kChecksumDirectives)
        LBTail->addItem(FromCp1251(directive));
    for (std::string_view directive : kCrcDirectives)
        LBTail->addItem(FromCp1251(directive));
    LBTail->hide();

    STLog = Label(p, "STLog", {8, 272, 641, 17}, "Запись в файл не ведётся");
    StaticText1 = Label(p, "StaticText1", {8, 272, 641, 17},
                        "Двойной клик по команде откроет окно редактирования справки");
    SetBackground(StaticText1, colors::Yellow);
    StaticText1->hide();
    StaticText3 = Figure(p, "StaticText3", {668, 272, 261, 17}, "TX: 0, RX: 0");
    BuildLineStatus();
}

void TForm1::BuildCommandGrid() {
    static constexpr int kLefts[6] = {8, 96, 184, 272, 360, 448};
    for (int n = 1; n <= 48; ++n) {
        const int c = (n - 1) / 8;
        const int r = (n - 1) % 8;
        const QRect g(kLefts[c], 72 + 24 * r, c == 5 ? 201 : 89, 25);
        auto* b = Make<QPushButton>(MainPanel, "", g);
        b->setObjectName(QStringLiteral("Button%1").arg(n));
        b->setAutoDefault(false);
        auto* e = Make<QLineEdit>(MainPanel, "", g);
        e->setObjectName(QStringLiteral("Edit%1").arg(n));
        e->setMaxLength(50);
        e->hide();
        ShowToolTipAsPlainText(b); // their tips are the user's command lines and names
        ShowToolTipAsPlainText(e);
        CmdButtons[static_cast<std::size_t>(n)] = b;
        CmdEdits[static_cast<std::size_t>(n)] = e;
    }
}

} // namespace trelvo
