#include "serial/port_box.h"

#include "serial/port_lister.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace trelvo {

namespace {

constexpr int kFullNameRole = Qt::UserRole;
constexpr int kListTextRole = Qt::UserRole + 1;

// The drop-down list shows each port with its description; the box itself shows the short name.
class PortListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant listText = index.data(kListTextRole);
        if (listText.isValid()) option->text = listText.toString();
    }
};

} // namespace

PortBox::PortBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setItemDelegate(new PortListDelegate(this));
}

void PortBox::setPorts(const std::vector<std::string>& names, const std::vector<std::string>& descriptions) {
    clear();
    int widest = 0;
    const QFontMetrics metrics(view()->font());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string description = i < descriptions.size() ? descriptions[i] : std::string();
        const QString listText = QString::fromStdString(PortListText(names[i], description));
        addItem(QString::fromStdString(ShortPortName(names[i])));
        setItemData(count() - 1, QString::fromStdString(names[i]), kFullNameRole);
        setItemData(count() - 1, listText, kListTextRole);
        widest = std::max(widest, metrics.horizontalAdvance(listText));
    }
    // Room for the item's margins and the list's scroll bar.
    view()->setMinimumWidth(std::max(width(), widest + 40));
    setCurrentIndex(-1);
    clearEditText();
}

QString PortBox::listText(int i) const {
    return itemData(i, kListTextRole).toString();
}

std::vector<std::string> PortBox::portNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < count(); ++i)
        names.push_back(itemData(i, kFullNameRole).toString().toStdString());
    return names;
}

std::string PortBox::portToOpen() const {
    return PortNameToOpen(currentText().toStdString(), portNames());
}

void PortBox::setStateColour(std::optional<QColor> colour) {
    colour_ = colour;
    // The text stays black on every colour, also where a disabled box would grey it.
    QPalette p = QApplication::palette(this);
    if (colour_) {
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            p.setColor(role, *colour_);
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            p.setColor(role, Qt::black);
    }
    setPalette(p);
    if (lineEdit()) lineEdit()->setPalette(p);
    update();
}

// The platform's styles shade a disabled box and its colour; a state colour is painted solid instead.
void PortBox::paintEvent(QPaintEvent* event) {
    if (!colour_) {
        QComboBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), *colour_);
    painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect arrowArea = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = arrowArea.adjusted(3, 3, -3, -3);
    arrow.state |= QStyle::State_Enabled; // drawn in full black, not the shade of a disabled arrow
    arrow.palette.setColor(QPalette::ButtonText, Qt::black);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    if (!isEditable()) {
        const QRect textArea =
            style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        painter.setPen(Qt::black);
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, currentText());
    }
}

} // namespace trelvo
