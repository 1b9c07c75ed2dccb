#include "serial/open_port_error_form.h"

#include "app/appearance.h"
#include "serial/open_port_error_picture.h"

#include <QLabel>
#include <QPixmap>

namespace trelvo {

TOpenPortError::TOpenPortError(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("OpenPortError"));
    setWindowTitle(QStringLiteral("OpenPortError"));
    setFixedSize(600, 500); // client area of the 616 x 539 design window
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 600, 500);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(DrawOpenPortErrorPicture()));
}

void TOpenPortError::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnScreen(this);
}

} // namespace trelvo
