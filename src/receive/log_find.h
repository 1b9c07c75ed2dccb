#pragma once
// Finding text in a log's lines, apart from any widget: the next or previous match with wrapping at the ends, and
// the matches within a run of lines for marking. A match never spans a line break.

#include "receive/log_store.h"

#include <QList>
#include <QString>

namespace trelvo {

// The lines searched: the log's store, or the text of the paused view.
class LogLines {
public:
    virtual ~LogLines() = default;
    virtual int lineCount() const = 0;
    virtual QString lineText(int line) const = 0;
};

class StoreLines final : public LogLines {
public:
    explicit StoreLines(const LogStore& store) : store_(store) {}
    int lineCount() const override { return store_.lineCount(); }
    QString lineText(int line) const override { return FromCp1251(store_.line(line)); }

private:
    const LogStore& store_;
};

struct LogFindQuery {
    QString text;
    bool matchCase = false;
};

// A stretch of one line; line -1: none.
struct LogMatch {
    int line = -1;
    int column = 0;
    int length = 0;
    bool isNull() const { return line < 0; }
    LogPos start() const { return {line, column}; }
    LogPos end() const { return {line, column + length}; }
    bool operator==(const LogMatch&) const = default;
};

enum class FindStep {
    Here,     // the first match that starts at `from` (its start) or later: typing keeps a match
    Next,     // the first match that starts at `from`'s end or later
    Previous, // the last match that starts before `from`
};

struct LogFindResult {
    LogMatch match;       // null when the text is nowhere in the lines
    bool wrapped = false; // the search passed an end and went on from the other end
};

// `from` null: from the top.
LogFindResult FindInLog(const LogLines& lines, const LogFindQuery& q, const LogMatch& from, FindStep step);

// Whether the stretch holds a match of the query.
bool IsMatch(const LogLines& lines, const LogMatch& m, const LogFindQuery& q);

// The matches in the lines from `first` up to and including `last`, at most `cap` of them, in order.
QList<LogMatch> MatchesInLines(const LogLines& lines, int first, int last, const LogFindQuery& q, int cap);

} // namespace trelvo
