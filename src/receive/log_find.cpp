#include "receive/log_find.h"

#include <algorithm>

namespace trelvo {
namespace {

Qt::CaseSensitivity Sensitivity(const LogFindQuery& q) {
    return q.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// The first match at `from` or after, searching forward to the last line.
LogMatch Forward(const LogLines& lines, const LogFindQuery& q, LogPos from) {
    const Qt::CaseSensitivity cs = Sensitivity(q);
    for (int l = std::max(0, from.line); l < lines.lineCount(); ++l) {
        const qsizetype at = lines.lineText(l).indexOf(q.text, l == from.line ? from.column : 0, cs);
        if (at >= 0) return {l, static_cast<int>(at), static_cast<int>(q.text.size())};
    }
    return {};
}

// The last match that starts before `before`, searching backward to the first line.
LogMatch Backward(const LogLines& lines, const LogFindQuery& q, LogPos before) {
    const Qt::CaseSensitivity cs = Sensitivity(q);
    for (int l = std::min(before.line, lines.lineCount() - 1); l >= 0; --l) {
        const QString text = lines.lineText(l);
        if (l == before.line && before.column == 0) continue;
        const qsizetype at = text.lastIndexOf(q.text, l == before.line ? before.column - 1 : -1, cs);
        if (at >= 0) return {l, static_cast<int>(at), static_cast<int>(q.text.size())};
    }
    return {};
}

} // namespace

LogFindResult FindInLog(const LogLines& lines, const LogFindQuery& q, const LogMatch& from, FindStep step) {
    LogFindResult r;
    if (q.text.isEmpty() || lines.lineCount() == 0) return r;
    const LogPos start = from.isNull() ? LogPos{} : (step == FindStep::Next ? from.end() : from.start());
    const bool backward = step == FindStep::Previous;
    r.match = backward ? Backward(lines, q, start) : Forward(lines, q, start);
    if (!r.match.isNull()) return r;
    // Nothing left towards this end: go on from the other one.
    r.match = backward ? Backward(lines, q, {lines.lineCount(), 0}) : Forward(lines, q, {});
    r.wrapped = !r.match.isNull();
    return r;
}

bool IsMatch(const LogLines& lines, const LogMatch& m, const LogFindQuery& q) {
    if (q.text.isEmpty() || m.isNull() || m.line >= lines.lineCount() || m.length != q.text.size()) return false;
    const QString text = lines.lineText(m.line);
    return m.column + m.length <= text.size() &&
           QStringView(text).mid(m.column, m.length).compare(q.text, Sensitivity(q)) == 0;
}

QList<LogMatch> MatchesInLines(const LogLines& lines, int first, int last, const LogFindQuery& q, int cap) {
    QList<LogMatch> out;
    if (q.text.isEmpty() || cap <= 0) return out;
    const Qt::CaseSensitivity cs = Sensitivity(q);
    const int n = static_cast<int>(q.text.size());
    for (int l = std::max(0, first); l <= std::min(last, lines.lineCount() - 1); ++l) {
        const QString text = lines.lineText(l);
        for (qsizetype i = text.indexOf(q.text, 0, cs); i >= 0; i = text.indexOf(q.text, i + n, cs)) {
            out.push_back({l, static_cast<int>(i), n});
            if (out.size() >= cap) return out;
        }
    }
    return out;
}

} // namespace trelvo
