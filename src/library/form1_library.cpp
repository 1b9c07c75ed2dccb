// Command library handlers of the main window. The store, the pages and the help texts plug in here.

#include "app/form1.h"

namespace trelvo {

void TForm1::LoadCmdStore() {}
void TForm1::ReadListCmd(int) {}
bool TForm1::CmdStoreChanged() { return false; }
void TForm1::ButtonCmdClick(int) {}
void TForm1::ButtonCmdHelp(int) {}
void TForm1::EditCmdHelp(int) {}
void TForm1::OutHelpHelp() {}
void TForm1::ClearHelp() {}

} // namespace trelvo
