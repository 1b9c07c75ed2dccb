#include "library/save_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace trelvo {

TSave::TSave(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Save"));
    setWindowTitle(QString());
    setFixedSize(247, 63);
    Label1 = new QLabel(QString::fromUtf8("Сохранить изменения  макросов?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 6, 231, 17);
    Label1->setAlignment(Qt::AlignCenter);
    BTYes = new QPushButton(QString::fromUtf8("Да"), this);
    BTYes->setObjectName(QStringLiteral("BTYes"));
    BTYes->setGeometry(8, 30, 75, 25);
    BTNo = new QPushButton(QString::fromUtf8("Нет"), this);
    BTNo->setObjectName(QStringLiteral("BTNo"));
    BTNo->setGeometry(86, 30, 75, 25);
    BTCancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    BTCancel->setObjectName(QStringLiteral("BTCancel"));
    BTCancel->setGeometry(164, 30, 75, 25);
    connect(BTYes, &QPushButton::clicked, this, &TSave::BTYesClick);
    connect(BTNo, &QPushButton::clicked, this, &TSave::BTNoClick);
    connect(BTCancel, &QPushButton::clicked, this, &TSave::BTCancelClick);
}

SaveAnswer TSave::Ask(std::function<bool()> save) {
    SaveCmdStore = std::move(save);
    answer_ = SaveAnswer::Cancel; // Esc, or closing the prompt any other way, keeps the program running
    exec();
    return answer_;
}

void TSave::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TSave::FormActivate() {
    BTYes->setDefault(true);
    BTYes->setFocus();
}

void TSave::BTYesClick() {
    if (!SaveCmdStore()) return;
    answer_ = SaveAnswer::Yes;
    accept();
}

void TSave::BTNoClick() {
    answer_ = SaveAnswer::No;
    accept();
}

void TSave::BTCancelClick() {
    answer_ = SaveAnswer::Cancel;
    accept();
}

} // namespace trelvo
