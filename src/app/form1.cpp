// The main window: construction, start-up, shutdown and the dispatch of widget events to the named handlers.

#include "app/form1.h"

#include "app/appearance.h"
#include "app/updown.h"
#include "common/dialogs.h"
#include "receive/log_find_bar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace trelvo {

namespace {
const char* const kTag = "tag";
}

int TForm1::Tag(const QObject* control) { return control->property(kTag).toInt(); }
void TForm1::SetTag(QObject* control, int tag) { control->setProperty(kTag, tag); }

TForm1::TForm1(Services services, QWidget* parent) : QMainWindow(parent), svc_(services) {
    BuildDesign();
    FindBar = new LogFindBar(MainWindow, SecondWindow, this);
    connection_.setViewListener([this](const ConnectionView& view) { ShowConnection(view); });
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(0, 0, 960, 797);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
    ConnectHandlers();
    ConnectLineControl();
    svc_.serial.setBytesWrittenListener([this](std::uint64_t count) { TransmitWritten(count); });
    StartReceiveTimers();
    CheckConnect->start();
}

TForm1::~TForm1() {
    svc_.serial.setBytesWrittenListener({});
    svc_.serial.setReadNotify({});
}

void TForm1::FormCreate() {
    // The statistics start as the statistics button leaves them.
    BTClrStatClick();
    // The small arrows after the command line and the suffix field. The symbol font that draws character
    // 0xAF as an arrow is not on every platform (where it is stood in for, the arrow renders blank), so the
    // same arrow comes from the Unicode character in the window font.
    for (QLabel* arrow : {Str1, Str2}) arrow->setText(QString(QChar(0x2193)));
    // The design places and sizes that the resize rule measures against.
    CaptureLayoutBase();
    // Counters, the packet being collected, the file-send position.
    st.receive.RxLen = 0;
    st.send.FileLineIndex = 0;
    st.send.LastPeriodSendMs = 0;
    st.receive.LastRxMs = 0;
    st.receive.RxTimeOutMs = 0;
    st.counters = TransferCounters{};
    // The log's font size as designed, the base of the font-size buttons.
    st.shell.LogFontSize = MainWindow->font().pointSize();
    st.send.PeriodTicked = false;
    // The log starts empty, on the window's own background like the command fields and the pickers.
    MainWindow->clear();
    for (QWidget* w : {static_cast<QWidget*>(MainWindow), static_cast<QWidget*>(MainStrCmd),
                       static_cast<QWidget*>(AddStrCmd), static_cast<QWidget*>(FastOldCmd),
                       static_cast<QWidget*>(LBTail), static_cast<QWidget*>(CBLists)})
        SetBackground(w, BtnFaceColor());
    st.shell.ExitCancelled = false;
    st.transmit.SendBusy = false;
    st.receive.RxBusy = false;
    // Each command button and its edit field carry their number for the shared handlers.
    for (int i = 1; i <= 48; ++i) {
        SetTag(CmdButtons[i], i);
        SetTag(CmdEdits[i], i);
    }
    // Connect has the focus when the window first shows.
    BTConnect->setFocus();
    setTabOrder(BTConnect, BTRescan);
    st.send.HistoryListMode = false;
    st.send.FileMode = false;
    // The time-out label shows the time-out 0 instead of its design caption.
    TimeOutAns->setText(QStringLiteral("TimeOutRX: %1").arg(st.receive.RxTimeOutMs));
    // The help lines carry their number too.
    for (int i = 1; i <= 12; ++i) SetTag(HelpTexts[i], i);
    // The command library, showing list 1; the page's shared handlers are wired by ConnectHandlers after this,
    // so filling the page does not pass through them.
    LoadCmdStore();
    st.shell.CurrentList = 1;
    ReadListCmd(1);
    // The sent-command history and its lists.
    LoadHistory();
    // The port list, without messages when no port is found.
    st.shell.StartingUp = true;
    ScanPorts();
    st.shell.StartingUp = false;
    st.port.PortOpen = false;
    // The default help text is the last thing written.
    OutHelpHelp();
}

bool TForm1::FormClose() {
    // A changed command library is offered for saving; "Отмена" keeps the window open.
    ExitCheck();
    bool closing = !st.shell.ExitCancelled;
    // The history is written, then the log file closed. A history that could not be written keeps the window
    // open and the log recording, so nothing of this run is lost and the next close tries again - unless the user
    // chooses to close anyway, without this run's history.
    if (closing) closing = SaveHistory();
    if (closing) CloseLogFile();
    st.shell.ExitCancelled = false;
    return closing;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TForm1::WatchEvents(QWidget* w) {
    w->installEventFilter(this);
    w->setMouseTracking(true);
}

void TForm1::ConnectHandlers() {
    connect(BTConnect, &QPushButton::clicked, this, &TForm1::BTConnectClick);
    connect(BTRescan, &QPushButton::clicked, this, &TForm1::BTRescanClick);
    connect(ButtonSend, &QPushButton::clicked, this, &TForm1::ButtonSendClick);
    connect(RBASCII, &QRadioButton::clicked, this, &TForm1::RBASCIIClick);
    connect(RBHEX, &QRadioButton::clicked, this, &TForm1::RBHEXClick);
    connect(OldCommandsBT, &QPushButton::clicked, this, &TForm1::OldCommandsBTClick);
    connect(TimeOutRx, &UpDown::stepped, this, &TForm1::TimeOutRxClick);
    connect(Srift, &UpDown::stepped, this, &TForm1::SriftClick);
    connect(BTClrStat, &QPushButton::clicked, this, &TForm1::BTClrStatClick);
    connect(BTLog, &QPushButton::clicked, this, &TForm1::BTLogClick);
    connect(StartStop, &QPushButton::clicked, this, &TForm1::StartStopClick);
    connect(StartLog, &QPushButton::clicked, this, &TForm1::StartLogClick);
    connect(BTPalitra, &QPushButton::clicked, this, &TForm1::BTPalitraClick);
    connect(BtInfo, &QPushButton::clicked, this, &TForm1::BtInfoClick);
    ConnectSendModes();
    ConnectRawFileSend();
    ConnectPlot();

    ConnectLibraryPage();
    WatchRenderSettings();
    connect(RxTimer, &QTimer::timeout, this, &TForm1::RxTimerTimer);
    connect(TimerPeriod, &QTimer::timeout, this, &TForm1::TimerPeriodTimer);
    connect(CustomFunctions, &QTimer::timeout, this, &TForm1::CustomFunctionsTimer);
    connect(CheckConnect, &QTimer::timeout, this, &TForm1::CheckConnectTimer);

    for (int i = 1; i <= 48; ++i) {
        QPushButton* b = CmdButtons[i];
        connect(b, &QPushButton::clicked, this, [this, b] { ButtonCmdClick(Tag(b)); });
        WatchEvents(b);
        WatchEvents(CmdEdits[i]);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             MainStrCmd, AddStrCmd, LBTail, FastOldCmd, Str1, Str2, PeriodTX, EditAllCmd, DelList, OldCommandsBT,
             ListInc, ListDec, ButtonReadFile, SendStart, ButtonSend, MainWindow->viewport(), SecondWindow->viewport(),
             LogPanel, Panel1, MainPanel})
        WatchEvents(w);
    ConnectLibraryEditing();
    clearsHelp_ = {EditAllCmd, DelList, OldCommandsBT, ListInc, ListDec, ButtonReadFile, SendStart, ButtonSend,
                   MainStrCmd, AddStrCmd, MainWindow->viewport(), SecondWindow->viewport(), LogPanel, Panel1,
                   MainPanel};
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == MainStrCmd && (enter || key == Qt::Key_Escape)) {
            if (enter)
                ButtonSendClick();
            else
                MainStrCmd->clear();
            return true;
        }
        if (watched == AddStrCmd && (enter || key == Qt::Key_Escape)) {
            if (!enter) AddStrCmd->clear();
            return true;
        }
        if (watched == LBTail && (enter || key == Qt::Key_Escape)) {
            LBTailKeyPress(key);
            return true;
        }
        if (watched == FastOldCmd && (enter || key == Qt::Key_Escape)) {
            FastOldCmdKeyPress(key);
            return true;
        }
        if (watched == PeriodTX) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
            if (!text.isEmpty() && !digit && key != Qt::Key_Backspace && text[0].isPrint()) return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Down && !k->isAutoRepeat()) {
            if (watched == MainStrCmd) ShowQuickHistory();
            if (watched == AddStrCmd) ShowDirectiveList();
        }
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == Str1) ShowQuickHistory();
        if (watched == Str2) ShowDirectiveList();
        break;
    case QEvent::Resize: // the quick history list keeps the command line's width
        if (watched == MainStrCmd) FastOldCmd->resize(MainStrCmd->width(), FastOldCmd->height());
        break;
    case QEvent::FocusOut:
        if (watched == LBTail) LBTail->hide();
        if (watched == FastOldCmd) FastOldCmd->hide();
        break;
    case QEvent::MouseMove:
    case QEvent::FocusIn:
        HelpEvent(watched, event);
        break;
    case QEvent::MouseButtonDblClick:
        HelpEvent(watched, event);
        // The double click on an edit field opened the help editor; it does not also select a word there, which
        // the next key would replace.
        if (const int k = Tag(watched); k > 0 && k <= 48 && watched == CmdEdits[k]) return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace trelvo
