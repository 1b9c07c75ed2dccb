#include "receive/log_find.h"

#include <QTextDocument>

#include <limits>

namespace trelvo {
namespace {

Qt::CaseSensitivity Sensitivity(const LogFindQuery& q) {
    return q.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

QTextDocument::FindFlags Flags(const LogFindQuery& q, bool backward) {
    QTextDocument::FindFlags f;
    if (q.matchCase) f |= QTextDocument::FindCaseSensitively;
    if (backward) f |= QTextDocument::FindBackward;
    return f;
}

} // namespace

LogFindResult FindInLog(const QTextDocument& doc, const LogFindQuery& q, const QTextCursor& from, FindStep step) {
    LogFindResult r;
    if (q.text.isEmpty()) return r;
    const bool backward = step == FindStep::Previous;
    const int start = from.isNull() ? 0 : (step == FindStep::Next ? from.selectionEnd() : from.selectionStart());
    r.match = doc.find(q.text, start, Flags(q, backward));
    if (!r.match.isNull()) return r;
    // Nothing left towards this end: go on from the other one.
    r.match = doc.find(q.text, backward ? doc.characterCount() - 1 : 0, Flags(q, backward));
    r.wrapped = !r.match.isNull();
    return r;
}

bool IsMatch(const QTextCursor& c, const LogFindQuery& q) {
    return !q.text.isEmpty() && c.hasSelection() && c.selectedText().compare(q.text, Sensitivity(q)) == 0;
}

QList<QTextCursor> MatchesInLines(QTextBlock first, const QTextBlock& last, const LogFindQuery& q, int cap) {
    QList<QTextCursor> out;
    if (q.text.isEmpty() || cap <= 0) return out;
    const int end = last.isValid() ? last.blockNumber() : std::numeric_limits<int>::max();
    const Qt::CaseSensitivity cs = Sensitivity(q);
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= end; b = b.next()) {
        const QString text = b.text();
        for (qsizetype i = text.indexOf(q.text, 0, cs); i >= 0; i = text.indexOf(q.text, i + q.text.size(), cs)) {
            QTextCursor c(b);
            c.setPosition(b.position() + static_cast<int>(i));
            c.setPosition(c.position() + static_cast<int>(q.text.size()), QTextCursor::KeepAnchor);
            out.push_back(c);
            if (out.size() >= cap) return out;
        }
    }
    return out;
}

} // namespace trelvo
