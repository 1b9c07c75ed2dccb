// The main window's control of the plot: the button in the bottom row, Ctrl+G, and the plot window's one instance,
// made at its first opening.

#include "app/form1.h"
#include "plot/plot_form.h"

#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace trelvo {
namespace {
constexpr int kPlotButtonRoom = 100; // the button's place: this much left of the transfer counter
}

void TForm1::BuildPlotControl() {
    BTPlot = new QPushButton(QString::fromUtf8("График"), MainPanel);
    BTPlot->setObjectName(QStringLiteral("BTPlot"));
    BTPlot->setGeometry(StaticText3->x() - kPlotButtonRoom, 272, kPlotButtonRoom - 4, 17);
    BTPlot->setToolTip(QString::fromUtf8("График принятых чисел (Ctrl+G)"));
    BTPlot->setAutoDefault(false);
}

void TForm1::ConnectPlot() {
    connect(BTPlot, &QPushButton::clicked, this, &TForm1::BTPlotClick);
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(key, &QShortcut::activated, this, &TForm1::BTPlotClick);
}

void TForm1::PlacePlotControl() {
    const QPoint at(StaticText3->x() - kPlotButtonRoom, BTPlot->y());
    if (BTPlot->pos() != at) BTPlot->move(at);
}

void TForm1::BTPlotClick() {
    if (!FormPlot)
        FormPlot = new TFormPlot(
            svc_.clock, svc_.dialogs, [this](PacketTap* tap) { rxPath_.tap = tap; }, MainWindow, this);
    FormPlot->open();
}

} // namespace trelvo
