#include "app/qt_dialogs.h"

#include "app/info_form.h"
#include "library/edit_help_form.h"
#include "library/save_form.h"
#include "serial/open_port_error_form.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace trelvo {

void QtDialogs::attach(QWidget* mainWindow, TSave* save) {
    main_ = mainWindow;
    save_ = save;
}

void QtDialogs::message(const std::string& utf8Text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Trelvo"), QString::fromStdString(utf8Text), QMessageBox::Ok,
                    main_);
    box.setTextFormat(Qt::PlainText); // file names and the system's words, never markup
    box.exec();
}

bool QtDialogs::askCloseAnyway(const std::string& utf8Text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Trelvo"), QString::fromStdString(utf8Text),
                    QMessageBox::NoButton, main_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* keep = box.addButton(QString::fromUtf8("Не закрывать"), QMessageBox::RejectRole);
    QPushButton* close = box.addButton(QString::fromUtf8("Закрыть"), QMessageBox::AcceptRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == close;
}

void QtDialogs::notice(const std::string& utf8Text, std::function<void()> closed) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Trelvo"), QString::fromStdString(utf8Text),
                                QMessageBox::Ok, main_);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Every way of closing it (OK, Esc, the close box) finishes it; a box that goes with the main window does not.
    QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] {
        if (closed) closed();
    });
    box->show();
}

void QtDialogs::showOpenPortError() {
    if (!main_) return;
    if (!openPortError_) openPortError_ = new TOpenPortError(main_);
    openPortError_->exec();
}

SaveAnswer QtDialogs::askSaveChanges() {
    return offerSave([] { return true; });
}

SaveAnswer QtDialogs::offerSave(const std::function<bool()>& save) {
    return save_ ? save_->Ask(save) : SaveAnswer::No;
}

void QtDialogs::editCommandHelp() {
    if (editHelp_) editHelp_->exec();
}

std::optional<std::string> QtDialogs::chooseCommandFile() {
    if (!main_) return std::nullopt;
    if (!open_) { // kept once made, so that it opens where it was left
        open_ = new QFileDialog(main_);
        open_->setObjectName(QStringLiteral("OpenDialog1"));
        open_->setFileMode(QFileDialog::ExistingFile);
    }
    const int result = open_->exec();
    // After a typed path and Enter the file-name completion stays on screen, a popup that would take the next click.
    for (QCompleter* completer : open_->findChildren<QCompleter*>())
        if (QWidget* popup = completer->popup()) popup->hide();
    if (result != QDialog::Accepted || open_->selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(open_->selectedFiles().first()).toStdString();
}

void QtDialogs::showInfo() {
    if (!main_) return;
    if (!info_) info_ = new TInfo(main_);
    info_->exec();
}

} // namespace trelvo
