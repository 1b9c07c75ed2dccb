// Serial link handlers of the main window: the port list and connection control.

#include "app/form1.h"

#include "app/appearance.h"
#include "serial/port_box.h"
#include "serial/port_lister.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace trelvo {

namespace {
std::string SelectedText(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->itemText(box->currentIndex()).toStdString();
}
// ComPort is built as a PortBox.
PortBox& Ports(QComboBox* box) { return static_cast<PortBox&>(*box); }
} // namespace

PortSelection TForm1::Selection() const {
    return PortSelection{Ports(ComPort).portToOpen(), SelectedText(BaudRate), SelectedText(ComBits),
                         SelectedText(ComStopBits)};
}

void TForm1::ScanPorts() {
    ComPort->clear();
    ComPort->clearEditText();
    const PortListing listing = trelvo::ScanPorts(svc_.ports, svc_.dialogs, st.shell.StartingUp);
    Ports(ComPort).setPorts(listing.entries, listing.descriptions);
    if (listing.firstSelected) ComPort->setCurrentIndex(0);
}

void TForm1::BTRescanClick() { ScanPorts(); }

void TForm1::ShowConnection(const ConnectionView& view) {
    WakeRxTimer(); // a packet kept through a close is rendered once the port is open again
    BTConnect->setText(QString::fromStdString(view.caption));
    SetTag(BTConnect, view.Connected);
    for (QWidget* w : {static_cast<QWidget*>(ComPort), static_cast<QWidget*>(BaudRate),
                       static_cast<QWidget*>(BTRescan), static_cast<QWidget*>(ComBits),
                       static_cast<QWidget*>(ComStopBits)})
        w->setEnabled(!view.settingsLocked);
    switch (view.portBoxColour) {
    case PortBoxColour::Standard:
        Ports(ComPort).setStateColour(std::nullopt);
        break;
    case PortBoxColour::Lime:
        Ports(ComPort).setStateColour(colors::Lime);
        break;
    case PortBoxColour::Red:
        Ports(ComPort).setStateColour(colors::Red);
        break;
    case PortBoxColour::Yellow:
        Ports(ComPort).setStateColour(colors::Yellow);
        break;
    }
    ComPort->repaint(); // an automatic reopen blocks for a while right after turning lime
    ArmPeriodTimer();   // the period timer sleeps while the port is closed
    FollowLine();
}

void TForm1::BTConnectClick() {
    BTConnect->setEnabled(false);
    const ConnectionOutcome outcome = connection_.connectClick(Selection(), SendAsReconn->isChecked());
    FollowLine();
    if (outcome.sendAfterConnect) CheckSendDataAftConnect();
    BTConnect->setEnabled(true);
}

void TForm1::CheckConnectTimer() {
    const ConnectionOutcome outcome =
        connection_.checkConnectTick(Selection(), AutoConnect->isChecked(), SendAsReconn->isChecked());
    FollowLine();
    if (outcome.sendAfterConnect) CheckSendDataAftConnect();
}

} // namespace trelvo
