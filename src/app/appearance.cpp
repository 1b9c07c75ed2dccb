#include "app/appearance.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QStyle>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QScreen>
#include <QWidget>

namespace trelvo {

QColor BtnFaceColor() { return QApplication::palette().color(QPalette::Button); }
QColor WindowColor() { return QApplication::palette().color(QPalette::Base); }
QColor WindowTextColor() { return QApplication::palette().color(QPalette::Text); }
QColor InfoBkColor() { return QApplication::palette().color(QPalette::ToolTipBase); }
QColor InactiveBorderColor() { return QColor(244, 247, 252); }
QColor MenuBarColor() { return QColor(240, 240, 240); }

QFont DesignFont(int pixelHeight, bool bold) {
    QFont f = QApplication::font();
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}

// Every role a control may paint its face with, so that buttons, combo boxes, edits and labels all show it.
void SetBackground(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window}) p.setColor(role, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor Background(const QWidget* w) { return w->palette().color(QPalette::Base); }

void SetTextColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) p.setColor(role, c);
    w->setPalette(p);
}

QColor TextColor(const QWidget* w) { return w->palette().color(QPalette::Text); }

namespace {

class PlainToolTip final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        auto* w = static_cast<QWidget*>(watched);
        const QString text = w->toolTip();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               Qt::convertFromPlainText(text, Qt::WhiteSpacePre), w);
        }
        return true;
    }
};

} // namespace

void ShowToolTipAsPlainText(QWidget* w) {
    static PlainToolTip* const filter = new PlainToolTip; // one for the program's life, shared by every widget
    w->installEventFilter(filter);
}

namespace {

class NarrowDropDownStyle final : public QProxyStyle {
public:
    NarrowDropDownStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect r = QProxyStyle::subControlRect(control, option, part, widget);
        if (control == CC_ComboBox && part == SC_ComboBoxEditField) r.adjust(-1, 0, 5, 0);
        return r;
    }
};

} // namespace

void UseNarrowDropDownStyle(QWidget* dropDown) {
    static NarrowDropDownStyle* const style = new NarrowDropDownStyle; // lives as long as the program
    dropDown->setStyle(style);
}

void CenterOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace trelvo

#include <QStyleFactory>

namespace trelvo {

void ApplyApplicationLook(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setPalette(app.style()->standardPalette());
    // Metrically close to the narrow design font; DejaVu covers whatever it lacks.
    QFont f(QStringLiteral("Liberation Sans"));
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(11);
    app.setFont(f);
}

} // namespace trelvo
