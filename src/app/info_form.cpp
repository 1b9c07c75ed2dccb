#include "app/info_form.h"

#include "app/appearance.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace trelvo {
namespace {

// A small picture of a serial connector with a cable, 110 x 76.
QPixmap DrawInfoPicture() {
    QPixmap pm(110, 76);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(180, 190, 205));
    const QPointF shell[] = {{14, 14}, {96, 14}, {88, 46}, {22, 46}};
    p.drawPolygon(shell, 4);
    p.setBrush(QColor(60, 60, 60));
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(27 + i * 14, 24), 3, 3);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(34 + i * 14, 36), 3, 3);
    p.setPen(QPen(QColor(30, 90, 200), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable(QPointF(55, 46));
    cable.cubicTo(55, 70, 90, 52, 104, 72);
    p.drawPath(cable);
    return pm;
}

QLineEdit* InfoLine(QWidget* parent, const char* name, QRect g, const QString& text, const QColor& color, int px) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(g);
    e->setReadOnly(true);
    e->setFrame(false);
    e->setAlignment(Qt::AlignCenter);
    e->setFont(DesignFont(px, true));
    SetBackground(e, Qt::white);
    SetTextColor(e, color);
    return e;
}

} // namespace

TInfo::TInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Info"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(335, 226);
    SetBackground(this, Qt::white);

    Label1 = new QLabel(QString::fromUtf8("Терминал для работы с COM-портом"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(36, 4, 271, 16);
    Label1->setFont(DesignFont(13, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QStringLiteral("Trelvo v1.04"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(64, 28, 228, 29);
    Label2->setFont(DesignFont(24, true));
    Label2->setAlignment(Qt::AlignCenter);
    Edit2 = InfoLine(this, "Edit2", {92, 60, 169, 24}, QStringLiteral("trelvo@example.org"), colors::Blue, 13);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(116, 84, 113, 77);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(1, 1, 111, 75);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(DrawInfoPicture());
    Edit1 = InfoLine(this, "Edit1", {76, 168, 193, 24}, QStringLiteral("2026-12-09"), colors::Black, 16);
    StaticText1 = new QLabel(QString::fromUtf8("Москва, декабрь 2026"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(72, 200, 202, 20);
    StaticText1->setFont(DesignFont(13, true));
    StaticText1->setAlignment(Qt::AlignCenter);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(4, 196, 37, 25);
    Button1->setVisible(false);
}

void TInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnScreen(this);
}

bool TInfo::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return handled;
}

// No visible control keeps the focus, so neither read-only line shows a caret or a selection.
void TInfo::FormActivate() {
    Button1->setVisible(true);
    Button1->setFocus();
    Button1->setVisible(false);
    // Hiding the focused button hands the focus on to the next control; the box keeps it itself instead.
    if (QWidget* next = focusWidget(); next && next != this) next->clearFocus();
    Edit1->deselect();
    Edit2->deselect();
}

} // namespace trelvo
