#pragma once
// The main window's state, gathered per owner. Each subsystem's struct comes from its own core.

#include "app/layout_rule.h"
#include "common/cp1251.h"
#include "library/cmd_config_file.h"
#include "library/cmd_store.h"
#include "receive/receive_tick.h"
#include "serial/port_state.h"
#include "transmit/history.h"
#include "transmit/history_file.h"
#include "transmit/send_modes.h"
#include "common/transfer_counters.h"
#include "transmit/transmission.h"

#include <cstdint>

namespace trelvo {

struct ShellState {
    bool StartingUp = false;
    bool ExitCancelled = false;
    int LogFontSize = 8;
    int CurrentList = 1;
    int EditCmdIndex = 0;
    ::trelvo::LayoutBase LayoutBase; // the design geometry the resize rule starts from
};

struct Form1State {
    ShellState shell;
    PortState port;
    RxState receive;
    SendState transmit;
    CmdHistory history;
    HistoryFile historyFile;
    SendModeState send;
    TransferCounters counters;
    CmdStore cmdStore;
    CmdConfigFile cmdConfig;
};

} // namespace trelvo
