// Appearance handlers of the main window.

#include "app/form1.h"
#include "common/dialogs.h"

namespace trelvo {

void TForm1::BTPalitraClick() {}
void TForm1::SriftClick(bool) {}
void TForm1::BtInfoClick() { svc_.dialogs.showInfo(); }

} // namespace trelvo
