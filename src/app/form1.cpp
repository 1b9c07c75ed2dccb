// The main window: construction, start-up, shutdown and the dispatch of widget events to the named handlers.

#include "app/form1.h"

#include "app/appearance.h"
#include "app/updown.h"
#include "common/dialogs.h"

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
    connection_.setViewListener([this](const ConnectionView& view) { ShowConnection(view); });
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(0, 0, 960, 797);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
    ConnectHandlers();
    StartReceiveTimers();
    CheckConnect->start();
}

TForm1::~TForm1() {
    svc_.serial.setReadNotify({});
}

void TForm1::FormCreate() {
    // 1
    BTClrStatClick();
    // 2: the small arrows after the command line and the suffix field. The symbol font that draws character
    // 0xAF as an arrow is not on every platform (where it is stood in for, the arrow renders blank), so the
    // same arrow comes from the Unicode character in the window font.
    for (QLabel* arrow : {Str1, Str2}) arrow->setText(QString(QChar(0x2193)));
    // 3, 9, 12, 18 and 21 capture the layout base for the resize rule.
    CaptureLayoutBase();
    // 4
    st.receive.RxLen = 0;
    st.send.FileLineIndex = 0;
    st.send.LastPeriodSendMs = 0;
    st.receive.LastRxMs = 0;
    st.receive.RxTimeOutMs = 0;
    st.counters = TransferCounters{};
    // 5
    st.shell.LogFontSize = MainWindow->font().pointSize();
    // 6
    st.send.PeriodTicked = false;
    // 7
    MainWindow->clear();
    // 8, 10
    for (QWidget* w : {static_cast<QWidget*>(MainWindow), static_cast<QWidget*>(MainStrCmd),
                       static_cast<QWidget*>(AddStrCmd), static_cast<QWidget*>(FastOldCmd),
                       static_cast<QWidget*>(LBTail), static_cast<QWidget*>(CBLists)})
        SetBackground(w, BtnFaceColor());
    // 11
    st.shell.ExitCancelled = false;
    // 13
    st.transmit.SendBusy = false;
    st.receive.RxBusy = false;
    // 14
    for (int i = 1; i <= 48; ++i) {
        SetTag(CmdButtons[i], i);
        SetTag(CmdEdits[i], i);
    }
    // 15
    BTConnect->setFocus();
    setTabOrder(BTConnect, BTRescan);
    // 16
    st.send.HistoryListMode = false;
    st.send.FileMode = false;
    // 17
    TimeOutAns->setText(QStringLiteral("TimeOutRX: %1").arg(st.receive.RxTimeOutMs));
    // 18
    for (int i = 1; i <= 12; ++i) SetTag(HelpTexts[i], i);
    // 19, 20
    LoadCmdStore();
    st.shell.CurrentList = 1;
    ReadListCmd(1);
    // 21: the shared handlers of the command page are wired by ConnectHandlers after this.
    // 22
    LoadHistory();
    // 23
    st.shell.StartingUp = true;
    ScanPorts();
    st.shell.StartingUp = false;
    // 24
    st.port.PortOpen = false;
    // 25
    OutHelpHelp();
}

bool TForm1::FormClose() {
    // 1, 2
    if (CmdStoreChanged() && svc_.dialogs.askSaveChanges() == SaveAnswer::Cancel) st.shell.ExitCancelled = true;
    // 3
    const bool vetoed = st.shell.ExitCancelled;
    if (!vetoed) {
        // 4
        SaveHistory();
        CloseLogFile();
    }
    // 5
    st.shell.ExitCancelled = false;
    return !vetoed;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TForm1::CaptureLayoutBase() {}

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
                SendPortData(MainStrCmd->text());
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
    case QEvent::MouseMove: {
        const int k = Tag(watched);
        if (k > 0 && k <= 48 && watched == CmdButtons[k])
            ButtonCmdHelp(k);
        else if (k > 0 && k <= 48 && watched == CmdEdits[k])
            EditCmdHelp(k);
        else if (clearsHelp_.contains(watched))
            ClearHelp();
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace trelvo
