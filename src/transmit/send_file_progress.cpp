#include "transmit/send_file_progress.h"

#include "app/appearance.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace trelvo {

namespace {
QLabel* Label(QWidget* parent, const char* name, const QRect& at) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
}
} // namespace

TSendFileProgress::TSendFileProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("SendFileProgress"));
    setWindowTitle(QString::fromUtf8("Отправка файла"));
    setModal(false);
    setFixedSize(360, 132);
    STFileName = Label(this, "STFileName", QRect(10, 8, 340, 17));
    ShowToolTipAsPlainText(STFileName); // the file's name, whatever it holds
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setGeometry(10, 30, 340, 20);
    Progress->setRange(0, 1000);
    Progress->setTextVisible(false);
    STAmount = Label(this, "STAmount", QRect(10, 56, 340, 17));
    STRate = Label(this, "STRate", QRect(10, 76, 170, 17));
    STTimeLeft = Label(this, "STTimeLeft", QRect(180, 76, 170, 17));
    BTCancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    BTCancel->setObjectName(QStringLiteral("BTCancel"));
    BTCancel->setGeometry(275, 100, 75, 25);
    RefreshTimer = new QTimer(this);
    RefreshTimer->setInterval(kRefreshMs);
    connect(BTCancel, &QPushButton::clicked, this, &TSendFileProgress::cancelRequested);
    connect(RefreshTimer, &QTimer::timeout, this, &TSendFileProgress::refreshDue);
}

void TSendFileProgress::Begin(const std::string& name) {
    const QString file = QString::fromStdString(name);
    STFileName->setText(
        STFileName->fontMetrics().elidedText(QString::fromUtf8("Файл: ") + file, Qt::ElideMiddle, STFileName->width()));
    STFileName->setToolTip(file);
    Show(RawSendProgress{});
    RefreshTimer->start();
    show();
    BTCancel->setFocus();
}

void TSendFileProgress::Show(const RawSendProgress& p) {
    const RawSendTexts t = DescribeProgress(p);
    Progress->setValue(p.total == 0 ? 0 : static_cast<int>(p.sent * 1000 / p.total));
    STAmount->setText(QString::fromStdString(t.amount));
    STRate->setText(QString::fromUtf8("Скорость: ") + QString::fromStdString(t.rate));
    STTimeLeft->setText(QString::fromUtf8("Осталось: ") + QString::fromStdString(t.left));
}

void TSendFileProgress::End() {
    RefreshTimer->stop();
    hide();
}

void TSendFileProgress::reject() {
    emit cancelRequested();
}

} // namespace trelvo
