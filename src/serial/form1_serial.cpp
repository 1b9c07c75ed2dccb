// Serial link handlers of the main window: the port list and connection control.

#include "app/form1.h"

#include "app/appearance.h"
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
} // namespace

PortSelection TForm1::Selection() const {
    return PortSelection{SelectedText(ComPort), SelectedText(BaudRate), SelectedText(ComBits),
                         SelectedText(ComStopBits)};
}

void TForm1::ScanPorts() {
    ComPort->clear();
    const PortListing listing = trelvo::ScanPorts(svc_.ports, svc_.dialogs, st.shell.StartingUp);
    for (const std::string& name : listing.entries) ComPort->addItem(QString::fromStdString(name));
    ComPort->setCurrentIndex(listing.firstSelected ? 0 : -1);
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
        ComPort->setPalette(QApplication::palette(ComPort));
        break;
    case PortBoxColour::Lime:
        SetBackground(ComPort, colors::Lime);
        break;
    case PortBoxColour::Red:
        SetBackground(ComPort, colors::Red);
        break;
    case PortBoxColour::Yellow:
        SetBackground(ComPort, colors::Yellow);
        break;
    }
    ComPort->repaint(); // an automatic reopen blocks for a while right after turning lime
}

void TForm1::BTConnectClick() {
    BTConnect->setEnabled(false);
    const ConnectionOutcome outcome = connection_.connectClick(Selection(), SendAsReconn->isChecked());
    if (outcome.sendAfterConnect) CheckSendDataAftConnect();
    BTConnect->setEnabled(true);
}

void TForm1::CheckConnectTimer() {
    const ConnectionOutcome outcome =
        connection_.checkConnectTick(Selection(), AutoConnect->isChecked(), SendAsReconn->isChecked());
    if (outcome.sendAfterConnect) CheckSendDataAftConnect();
}

} // namespace trelvo
