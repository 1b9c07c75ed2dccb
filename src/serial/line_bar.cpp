#include "serial/line_bar.h"

#include "app/appearance.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace trelvo {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <class W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// The summary button is never narrower than for this text, so that a short form is still a fair target.
const char* const kNarrowest = "8N1,5";

} // namespace

LineLamp::LineLamp(const QString& name, bool clickable, QWidget* parent) : QAbstractButton(parent) {
    setText(name);
    setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
    if (!clickable) setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineLamp::setOn(bool on) {
    if (on_ == on) return;
    on_ = on;
    update();
}

QSize LineLamp::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text()) + 4, LineBar::kHeight};
}

void LineLamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const bool lit = on_ && isEnabled();
    p.fillRect(r, lit ? colors::Lime : palette().color(QPalette::Button));
    p.setPen(palette().color(isEnabled() ? QPalette::Dark : QPalette::Midlight));
    p.drawRect(r);
    // Black on lime reads in every scheme; an unlit or disabled lamp takes the palette's button text.
    p.setPen(lit ? QColor(Qt::black)
                 : palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(r, Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

LinePopup::LinePopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("LinePopup"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);

    CBParity = Named(new QComboBox(this), "CBParity");
    for (const char* item : {"нет (N)", "чётная (E)", "нечётная (O)", "маркер (M)", "пробел (S)"})
        CBParity->addItem(U(item));
    CBFlow = Named(new QComboBox(this), "CBFlow");
    for (const char* item : {"нет", "аппаратное (RTS/CTS)", "программное (XON/XOFF)"})
        CBFlow->addItem(U(item));
    CBPulseLine = Named(new QComboBox(this), "CBPulseLine");
    CBPulseLine->addItems({QStringLiteral("DTR"), QStringLiteral("RTS")});
    CBPulseLine->setToolTip(U("Линия, которую импульс инвертирует"));
    PulseMs = Named(new QSpinBox(this), "PulseMs");
    PulseMs->setRange(10, 5000);
    PulseMs->setValue(100);
    PulseMs->setSingleStep(10);
    PulseMs->setSuffix(U(" мс"));
    PulseMs->setToolTip(U("Длительность импульса, 10..5000 мс"));
    BTPulse = Named(new QPushButton(U("Импульс"), this), "BTPulse");
    BTPulse->setToolTip(U("Инвертировать линию на заданное время и вернуть (сброс платы)"));
    BTBreak = Named(new QPushButton(U("Break 250 мс"), this), "BTBreak");
    BTBreak->setToolTip(U("Удерживать линию в состоянии break 250 мс"));
    BTSendRawFile = Named(new QPushButton(U("Отправить файл…"), this), "BTSendRawFile");
    BTSendRawFile->setToolTip(U("Отправить байты файла в порт как есть"));
    STLineHint = Named(new QLabel(this), "STLineHint");
    STLineHint->setWordWrap(true);
    for (QPushButton* b : {BTPulse, BTBreak, BTSendRawFile})
        b->setAutoDefault(false);

    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(U(text), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("&Чётность:", CBParity), 0, 0);
    grid->addWidget(CBParity, 0, 1, 1, 3);
    grid->addWidget(label("&Управление потоком:", CBFlow), 1, 0);
    grid->addWidget(CBFlow, 1, 1, 1, 3);
    grid->addWidget(label("&Импульс сброса:", CBPulseLine), 2, 0);
    grid->addWidget(CBPulseLine, 2, 1);
    grid->addWidget(PulseMs, 2, 2);
    grid->addWidget(BTPulse, 2, 3);
    grid->addWidget(BTBreak, 3, 1, 1, 2);
    grid->addWidget(BTSendRawFile, 3, 3);
    grid->addWidget(STLineHint, 4, 0, 1, 4);
    setTabOrder(CBParity, CBFlow);
    setTabOrder(CBFlow, CBPulseLine);
    setTabOrder(CBPulseLine, PulseMs);
    setTabOrder(PulseMs, BTPulse);
    setTabOrder(BTPulse, BTBreak);
    setTabOrder(BTBreak, BTSendRawFile);
}

void LinePopup::popUpAt(QWidget* anchor) {
    adjustSize();
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.y() + height() > room.bottom()) at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
    }
    move(at);
    show();
    CBParity->setFocus();
}

void LinePopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

LineBar::LineBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LineBar"));
    BTLine = Named(new QPushButton(this), "BTLine");
    BTLine->setAutoDefault(false);
    BTLine->setToolTip(U("Параметры линии: чётность, управление потоком, импульс сброса, break"));
    BTDTR = Named(new LineLamp(QStringLiteral("DTR"), true, this), "BTDTR");
    BTRTS = Named(new LineLamp(QStringLiteral("RTS"), true, this), "BTRTS");
    STCTS = Named(new LineLamp(QStringLiteral("CTS"), false, this), "STCTS");
    STDSR = Named(new LineLamp(QStringLiteral("DSR"), false, this), "STDSR");
    STDCD = Named(new LineLamp(QStringLiteral("DCD"), false, this), "STDCD");
    STRI = Named(new LineLamp(QStringLiteral("RI"), false, this), "STRI");
    Popup = new LinePopup(this);
    ModemTimer = Named(new QTimer(this), "ModemTimer");
    PulseTimer = Named(new QTimer(this), "PulseTimer");
    PulseTimer->setSingleShot(true);
    BreakTimer = Named(new QTimer(this), "BreakTimer");
    BreakTimer->setSingleShot(true);

    arrange();
}

void LineBar::giveWayTo(QWidget* other) {
    giveWayTo_ = other;
    other->installEventFilter(this);
    setVisible(other->isHidden());
}

void LineBar::shareRowWith(QLabel* caption) {
    caption_ = caption;
    caption->installEventFilter(this);
}

bool LineBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == giveWayTo_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        setVisible(giveWayTo_->isHidden());
        if (caption_) caption_->update();
    }
    if (watched == caption_ && event->type() == QEvent::Paint && captionCut()) {
        paintCaptionCut();
        return true;
    }
    // The caption has no hint of its own; a cut one shows its whole text there.
    if (watched == caption_ && event->type() == QEvent::ToolTip && captionCut()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), caption_->text(), caption_);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int LineBar::captionWidth() const {
    return QFontMetrics(caption_->font()).horizontalAdvance(caption_->text());
}

int LineBar::captionRoom() const {
    if (!caption_) return 0;
    // The bar is out of the way while hidden, or when the caption is on another row.
    if (isHidden() || caption_->y() != y()) return captionWidth();
    return std::min(captionWidth(), x() - kCaptionGap - caption_->x() - caption_->contentsRect().left());
}

bool LineBar::captionCut() const {
    return caption_ && captionRoom() < captionWidth();
}

// As QLabel draws a line of plain text, cut to the room left of the bar.
void LineBar::paintCaptionCut() {
    QPainter p(caption_);
    const QString text =
        QFontMetrics(caption_->font()).elidedText(caption_->text(), Qt::ElideRight, std::max(0, captionRoom()));
    caption_->style()->drawItemText(&p, caption_->contentsRect(),
                                    QStyle::visualAlignment(caption_->layoutDirection(), caption_->alignment()),
                                    caption_->palette(), caption_->isEnabled(), text, caption_->foregroundRole());
}

void LineBar::setSummary(const QString& text) {
    if (BTLine->text() == text) return;
    BTLine->setText(text);
    arrange();
}

// Every caption in full: the summary button is as wide as its text, each lamp as its name (no wider, so that the
// log file's caption left of the bar reads in full at the design width).
void LineBar::arrange() {
    const QFontMetrics m(BTLine->font());
    const int summaryWidth = std::max(m.horizontalAdvance(BTLine->text()), m.horizontalAdvance(U(kNarrowest))) + 10;
    BTLine->setGeometry(0, 0, summaryWidth, kHeight);
    int x = summaryWidth + 4;
    for (LineLamp* lamp : {BTDTR, BTRTS, STCTS, STDSR, STDCD, STRI}) {
        if (lamp == STCTS) x += 3; // the status lines apart from the two the user sets
        lamp->setGeometry(x, 0, lamp->sizeHint().width(), kHeight);
        x += lamp->width() + 1;
    }
    resize(x - 1, kHeight);
}

} // namespace trelvo
