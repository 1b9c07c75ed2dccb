#pragma once
// The save prompt at exit: "Да" saves and closes, "Нет" closes, "Отмена" (or Esc, or any other way of closing the
// prompt) keeps the program running.

#include "common/dialogs.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace trelvo {

class TSave : public QDialog {
    Q_OBJECT
public:
    explicit TSave(QWidget* parent = nullptr);

    QLabel* Label1;
    QPushButton* BTYes;
    QPushButton* BTNo;
    QPushButton* BTCancel;

    // Saves the library; returns false when saving failed, which keeps the prompt open for another answer.
    std::function<bool()> SaveCmdStore = [] { return true; };

    // Shows the prompt modally; "Да" runs `save` first.
    SaveAnswer Ask(std::function<bool()> save);
    SaveAnswer answer() const { return answer_; }

    void FormActivate();
    void BTYesClick();
    void BTNoClick();
    void BTCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SaveAnswer answer_ = SaveAnswer::Cancel;
};

} // namespace trelvo
