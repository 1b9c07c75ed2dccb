#pragma once
// The about box.

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace trelvo {

class TInfo : public QDialog {
    Q_OBJECT
public:
    explicit TInfo(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QFrame* Panel1;
    QLabel* Image1;
    QLineEdit* Edit1;
    QLabel* StaticText1;
    QPushButton* Button1;

    void FormActivate();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace trelvo
