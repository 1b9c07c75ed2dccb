#include "library/typing_limit.h"

#include <QLineEdit>

#include <algorithm>

namespace trelvo {

void SetTextKeepingLong(QLineEdit* edit, const QString& text, int typingLimit) {
    // Raising the limit first, and lowering it only to what the new text needs, never cuts either text.
    edit->setMaxLength(std::max<int>({edit->maxLength(), typingLimit, static_cast<int>(text.size())}));
    edit->setText(text);
    edit->setMaxLength(std::max<int>(typingLimit, static_cast<int>(text.size())));
}

} // namespace trelvo
