#pragma once
// Finding text in a log view's document, apart from the window: the next or previous match with wrapping at the
// ends, and the matches within a run of lines for highlighting. A match never spans a line break.

#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>

class QTextDocument;

namespace trelvo {

struct LogFindQuery {
    QString text;
    bool matchCase = false;
};

enum class FindStep {
    Here,     // the first match that starts at `from` (its selection's start) or later: typing keeps a match
    Next,     // the first match after `from`'s selection
    Previous, // the last match that starts before `from`'s selection
};

struct LogFindResult {
    QTextCursor match;    // selects the match; null when the text is nowhere in the document
    bool wrapped = false; // the search passed an end of the document and went on from the other end
};

LogFindResult FindInLog(const QTextDocument& doc, const LogFindQuery& q, const QTextCursor& from, FindStep step);

// Whether the cursor selects a match of the query.
bool IsMatch(const QTextCursor& c, const LogFindQuery& q);

// The matches in the lines from `first` up to and including `last` (to the end when `last` is invalid), at most
// `cap` of them, in document order.
QList<QTextCursor> MatchesInLines(QTextBlock first, const QTextBlock& last, const LogFindQuery& q, int cap);

} // namespace trelvo
