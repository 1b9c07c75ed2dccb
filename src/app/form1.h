#pragma once
// The main window. Its controls are named members laid out at their design places (form1_design.cpp); the
// handlers are thin and live with the subsystem they belong to (src/<subsystem>/form1_<subsystem>.cpp).

#include "app/form1_state.h"
#include "receive/log_housekeeping.h"
#include "receive/log_text_view.h"
#include "receive/receive_tick.h"
#include "serial/connection.h"
#include "transmit/raw_file_send.h"
#include "serial/line_control.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QSet>
#include <array>
#include <memory>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace trelvo {

class Clock;
class Dialogs;
class LineBar;
class LogFindBar;
class PortLister;
class SerialDevice;
class TSendFileProgress;
class TFormPlot;
class UpDown;

// What the window uses of the platform; tests pass doubles.
struct Services {
    SerialDevice& serial;
    PortLister& ports;
    Clock& clock;
    Dialogs& dialogs;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(Services services, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- top bar
    QFrame* Panel1;
    QPushButton* BTConnect;
    QPushButton* BTRescan;
    QComboBox* ComPort;
    QComboBox* BaudRate;
    QComboBox* ComBits;
    QComboBox* ComStopBits;
    QCheckBox* AutoConnect;
    UpDown* TimeOutRx;
    QLabel* TimeOutAns;
    QLineEdit* FiltrLog;
    UpDown* Srift;
    QPushButton* BTPalitra;
    QPushButton* BTLog;
    QPushButton* StartLog;
    QPushButton* StartStop;
    QPushButton* BtInfo;

    // ---- log views
    LogTextView* MainWindow;
    QPlainTextEdit* SecondWindow;
    LogFindBar* FindBar; // Ctrl+F: finds text in the log view on screen

    // ---- mode panel
    QFrame* LogPanel;
    QLabel* TextTime;
    QCheckBox* VisTime;
    QFrame* OutMode;
    QRadioButton* RBASCII;
    QRadioButton* RBHEX;
    QFrame* InputMode;
    QLabel* Label1;
    QRadioButton* RBManual;
    QRadioButton* RBAfterAns;
    QRadioButton* RBSel;
    QRadioButton* RBPeriod;
    QLineEdit* PeriodTX;
    QCheckBox* SendAsReconn;
    QCheckBox* CiklSend;
    QFrame* PStats;
    QLabel* LSend;
    QLabel* LRead;
    QLabel* MinTimeWait;
    QLabel* MaxTimeWait;
    QPushButton* BTClrStat;

    // ---- bottom panel
    QFrame* MainPanel;
    QLineEdit* MainStrCmd;
    QLabel* Str1;
    QLabel* LPlus;
    QLineEdit* AddStrCmd;
    QLabel* Str2;
    QComboBox* CBLists;
    QLabel* STListName;
    QLineEdit* ListNameEDT;
    QPushButton* EditAllCmd;
    QPushButton* DelList;
    QPushButton* SaveF;
    QPushButton* OldCommandsBT;
    QPushButton* ListDec;
    QPushButton* ButtonReadFile;
    QPushButton* ListInc;
    QRadioButton* RBName;
    QRadioButton* RbData;
    QPushButton* SendStart;
    QPushButton* ButtonSend;
    QListWidget* OldCmdList;
    QListWidget* FastOldCmd;
    QListWidget* LBTail;
    QLabel* STLog;
    QLabel* StaticText1;
    QLabel* StaticText3;
    QPushButton* BTPlot; // opens the plot window, left of the transfer counter
    LineBar* LineStatus; // in the status row, left of the transfer counter: the line and its control lines
    TSendFileProgress* SendFileProgress = nullptr; // made at the first file sent

    // The plot of the received numbers; made when first opened.
    TFormPlot* FormPlot = nullptr;

    // Control arrays, numbered from 1 (index 0 stays empty); each member carries its number as its tag.
    std::array<QPushButton*, 49> CmdButtons{};
    std::array<QLineEdit*, 49> CmdEdits{};
    std::array<QLabel*, 13> HelpTexts{};

    // ---- timers
    QTimer* RxTimer;
    QTimer* TimerPeriod;
    QTimer* CustomFunctions;
    QTimer* CheckConnect;

    // The state of every subsystem, one struct per owner.
    Form1State st;

    // ---- start-up and shutdown
    void FormCreate();
    // Returns false when the close was vetoed.
    bool FormClose();

    // ---- serial link
    void ScanPorts();
    void BTRescanClick();
    void BTConnectClick();
    void CheckConnectTimer();
    // The selected entries of the four settings boxes; empty where nothing is selected.
    PortSelection Selection() const;
    void ShowConnection(const ConnectionView& view);

    // ---- line control (form1_line.cpp)
    void BTLineClick();
    void LineOptionsChange();
    void BTDTRClick();
    void BTRTSClick();
    void BTPulseClick();
    void BTBreakClick();
    void ModemTimerTimer();
    void PulseTimerTimer();
    void BreakTimerTimer();
    void ShowLineControl();

    // ---- transmit
    // Held means the port is still writing and the line goes after; Draining means it was dropped.
    SendStatus SendPortData(const QString& line);
    // The mode of the ASCII/HEX buttons, for sending and for showing what is received.
    TxMode Mode() const;
    void ButtonSendClick();
    void RBASCIIClick();
    void RBHEXClick();
    void LBTailKeyPress(int key);
    void FastOldCmdKeyPress(int key);
    void ReadOldCmd();
    void OldCommandsBTClick();
    void ShowDirectiveList();
    void ShowQuickHistory();

    // ---- send modes
    void CheckSendDataAftAnswer(std::uint32_t waiting);
    void CheckSendDataAftConnect();
    void CustomFunctionsTimer();
    void TimerPeriodTimer();
    void RBManualClick();
    void RBAfterAnsClick();
    void RBSelClick();
    void RBPeriodClick();
    void ButtonReadFileClick();
    void SendStartClick();
    void StartSendCommands();
    void OldCmdListClick();
    SendMode CurrentSendMode() const;

    // ---- sending a file's raw bytes
    void SendRawFileClick();
    void CancelRawFileClick();
    bool RawFileSending() const;

    // ---- receive and log
    void RxTimerTimer();
    void TimeOutRxClick(bool up);
    void BTClrStatClick();
    void BTLogClick();
    void StartStopClick();
    void StartLogClick();
    // Draws what the log window has not shown yet; the housekeeping tick does it every 10 ms.
    void FlushLogView();
    void UpdateArrivalPatience();
    void ExpectAnswer();
    void ShowLogFileState();

    // ---- command library (plug points until the library lands; virtual so that tests can stand in for it)
    virtual void LoadCmdStore();
    virtual void ReadListCmd(int list);
    virtual bool CmdStoreChanged();
    void ButtonCmdClick(int k);
    void ButtonCmdHelp(int k);
    void EditCmdHelp(int k);
    void OutHelpHelp();
    void ClearHelp();
    // The store and the page of the command library. Texts are CP1251 bytes, numbers from 1; a number out of range
    // reads as an empty text and stores nothing.
    void WriteListCmd(int list);
    void ClrListCmd(int list);
    // Takes the page over into the current list and writes the whole file; false (after a message) on failure.
    bool SaveCmdStore();
    std::string GetCmdName(int list, int k) const;
    std::string GetCmdLine(int list, int k) const;
    void SetCmdName(int list, int k, std::string_view text);
    void SetCmdLine(int list, int k, std::string_view text);
    int GetCurrentList() const;
    std::string CmdHelpLine(int list, int k, int line) const;
    void SetCmdHelpLine(int list, int k, int line, std::string_view text);
    std::string ListNameOf(int list) const;
    void SetListName(int list, std::string_view text);
    void RBNameClick();
    void RbDataClick();
    void CBListsClick(int index);
    void CBListsDblClick();
    void STListNameDblClick();
    void ListIncClick();
    void ListDecClick();
    void DelListClick();
    void SaveFClick();

    // ---- command editing mode and help texts
    bool EditMode() const; // kept in the tag of EditAllCmd, shown by its caption
    void EditAllCmdClick();
    void SaveEditTextCmd(int k);
    void CancelExit();
    // The first step of a close request: offers to save a changed library; sets ExitCancelled to keep the window.
    void ExitCheck();
    void ShowHelpAsFocus(int k);
    void ShowWindowEdtHelp(int k);

    // ---- layout and appearance
    // Lays the controls out for the window's present size.
    void FormCanResize();
    void BTPalitraClick();
    void SriftClick(bool up);
    void BtInfoClick();

    // ---- plot
    void BTPlotClick();

    // Tag of a control, as the shared handlers read it.
    static int Tag(const QObject* control);
    static void SetTag(QObject* control, int tag);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildDesign();
    void BuildTopBar();
    void BuildModePanel();
    void BuildBottomPanel();
    void BuildCommandGrid();
    void BuildPlotControl();
    void ConnectPlot();
    void PlacePlotControl();
    void ConnectHandlers();
    void BuildLineStatus();
    void ConnectLineControl();
    // Follows the port being opened or closed; call after anything that may have done either.
    void FollowLine();
    void PlaceLineStatus();
    void WatchEvents(QWidget* w);
    void WatchRenderSettings();
    void ConnectLibraryPage();
    void ConnectLibraryEditing();
    // Pointer moves, focus and double clicks of the command page and the help area's clearing controls.
    void HelpEvent(QObject* watched, QEvent* event);
    void ShowCmdHelp(int k);
    // Start-up and shutdown steps that other subsystems fill in.
    void CaptureLayoutBase();
    void LoadHistory();
    // False when the history file could not be written (the message has been shown).
    bool SaveHistory();
    // Sending while the port drains a long line: the inputs of a send, and the port's report of bytes written.
    SendContext TransmitContext();
    void TransmitWritten(std::uint64_t count);
    void ShowTransmitCounters();
    // A raw file going out: other sends by hand are refused with a message (true), scheduled ones skip.
    bool RefuseWhileFileGoesOut();
    void ConnectRawFileSend();
    void RawFileWritten(std::uint64_t count);
    // The progress window's refresh: the figures, and the end of a file whose port was closed.
    void RawFileTick();
    void RawFileEnded(const RawSendStep& step);
    void CloseLogFile();
    // Send modes.
    void ConnectSendModes();
    void ChooseSendMode(SendMode mode);
    ScheduleInputs SendModeInputs() const;
    void CarryOut(const SendAction& action);
    void ShowAllCommandsSent();
    void ArmPeriodTimer();
    void RestartCyclicSending();
    void LoadCommandFile();
    void LeaveFileMode();
    // The receive and housekeeping timers wake only for work (form1_receive.cpp).
    void StartReceiveTimers();
    void WakeRxTimer();
    void RxDataArrived();
    void RxTick(ReceivePath& path);
    void ScheduleRxTimer(bool keepPolling, bool moreWaiting = false);
    void ScheduleHousekeeping();
    void ShowRxCaptions();

    Services svc_;
    LogView logView_;
    LogFile logFile_{svc_.dialogs};
    LogPlacement placement_{logView_, logFile_}; // where sent and received entries go
    LogHousekeeping housekeeping_;
    RenderSettings render_;
    ReceivePath rxPath_{svc_.serial, st.port.PortOpen, svc_.clock, st.counters, render_, placement_,
                        [this](std::uint32_t waiting) { CheckSendDataAftAnswer(waiting); }};
    ConnectionControl connection_{st.port, svc_.serial, svc_.clock, svc_.dialogs};
    RawFileSend rawFile_{svc_.serial, st.counters};
    LineControl line_{st.port, svc_.serial};
    QSet<const QObject*> clearsHelp_; // controls whose pointer-move empties the help area
    QTimer* answerSoon_ = nullptr; // runs for a while after a command went out
    bool rxWakeOnData_ = false;       // the port tells when bytes arrive; otherwise the receive tick polls
    RxTickResult rxCaptions_;         // receive figures changed since they were last shown
};

} // namespace trelvo
