// Command library handlers of the main window. The store, the pages and the help texts plug in here.

#include "app/form1.h"

namespace trelvo {

void TForm1::LoadCmdStore() {}
void TForm1::ReadListCmd(int) {}
bool TForm1::CmdStoreChanged() { return false; }
void TForm1::ButtonCmdClick(int) {}
void TForm1::WriteListCmd(int) {}
bool TForm1::SaveCmdStore() {
    return true;
}
std::string TForm1::GetCmdName(int, int) const {
    return {};
}
std::string TForm1::GetCmdLine(int, int) const {
    return {};
}
void TForm1::SetCmdName(int, int, std::string_view) {}
void TForm1::SetCmdLine(int, int, std::string_view) {}
int TForm1::GetCurrentList() const {
    return st.shell.CurrentList;
}
std::string TForm1::CmdHelpLine(int, int, int) const {
    return {};
}
void TForm1::SetCmdHelpLine(int, int, int, std::string_view) {}
std::string TForm1::ListNameOf(int) const {
    return {};
}
void TForm1::SetListName(int, std::string_view) {}

} // namespace trelvo
