#pragma once
// A typing limit that does not cut what the program shows. QLineEdit::setMaxLength also cuts text set by the
// program; a stored text longer than the typing limit (a file written elsewhere, a longer help line) must be shown
// and kept in full, while typing and pasting stay within the limit.

class QLineEdit;
class QString;

namespace trelvo {

// Shows `text` in full; the user may then type up to `typingLimit` characters, or up to the length of a longer
// text shown, and a paste is cut to fit.
void SetTextKeepingLong(QLineEdit* edit, const QString& text, int typingLimit);

} // namespace trelvo
