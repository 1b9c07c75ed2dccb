#include "receive/log_find_bar.h"

#include "app/appearance.h"
#include "receive/log_text_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace trelvo {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kNotFound = "Не найдено";
const char* const kFromStart = "С начала";
const char* const kFromEnd = "С конца";

QToolButton* Tool(QWidget* parent, const char* name, const QString& text, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(U(hint));
    b->setAutoRaise(true);
    return b;
}

const QColor kMatchMark(255, 240, 120);
const QColor kCurrentMark(255, 150, 50);

// The log's own view.
class LiveTarget final : public FindTarget {
public:
    explicit LiveTarget(LogTextView* v) : v_(v), lines_(v->store()) {}
    QWidget* widget() const override { return v_; }
    QWidget* viewport() const override { return v_->viewport(); }
    QScrollBar* scrollBar() const override { return v_->verticalScrollBar(); }
    const LogLines& lines() const override { return lines_; }
    int firstVisibleLine() const override { return v_->firstVisibleLine(); }
    int lastVisibleLine() const override { return v_->lastVisibleLine(); }
    LogMatch selection() const override {
        const LogPos a = std::min(v_->anchor(), v_->cursor()), b = std::max(v_->anchor(), v_->cursor());
        if (a.line != b.line || a == b) return {};
        return {a.line, a.column, b.column - a.column};
    }
    void select(const LogMatch& m) override { v_->setSelection(m.start(), m.end()); }
    QRect rectOf(const LogMatch& m) const override { return v_->rectOf(m.start()); }
    void centerOn(const LogMatch& m) override { v_->centerOn(m.start()); }
    void setMarks(const QList<LogMatch>& others, const LogMatch& current) override {
        QList<LogMark> marks;
        marks.reserve(others.size() + 1);
        for (const LogMatch& m : others)
            if (m != current) marks.push_back({m.start(), m.length, kMatchMark});
        if (!current.isNull()) marks.push_back({current.start(), current.length, kCurrentMark});
        v_->setMarks(std::move(marks));
    }
    QList<QMetaObject::Connection> watchText(QObject* context,
                                             std::function<void(int line, bool removed)> changed) override {
        return {QObject::connect(v_, &LogTextView::linesAdded, context, [changed](int line) { changed(line, false); }),
                QObject::connect(v_, &LogTextView::cleared, context, [changed] { changed(0, true); })};
    }

private:
    LogTextView* v_;
    StoreLines lines_;
};

// The paused view, an editable text.
class DocumentLines final : public LogLines {
public:
    explicit DocumentLines(QPlainTextEdit* v) : v_(v) {}
    int lineCount() const override { return v_->document()->blockCount(); }
    QString lineText(int line) const override { return v_->document()->findBlockByNumber(line).text(); }

private:
    QPlainTextEdit* v_;
};

class PausedTarget final : public FindTarget {
public:
    explicit PausedTarget(QPlainTextEdit* v) : v_(v), lines_(v) {}
    QWidget* widget() const override { return v_; }
    QWidget* viewport() const override { return v_->viewport(); }
    QScrollBar* scrollBar() const override { return v_->verticalScrollBar(); }
    const LogLines& lines() const override { return lines_; }
    int firstVisibleLine() const override { return v_->cursorForPosition(QPoint(0, 0)).blockNumber(); }
    int lastVisibleLine() const override {
        return v_->cursorForPosition(QPoint(0, v_->viewport()->height() - 1)).blockNumber();
    }
    LogMatch selection() const override {
        const QTextCursor c = v_->textCursor();
        const QString text = c.selectedText();
        if (text.isEmpty() || text.contains(QChar::ParagraphSeparator)) return {};
        QTextCursor start(c);
        start.setPosition(c.selectionStart());
        return {start.blockNumber(), start.positionInBlock(), static_cast<int>(text.size())};
    }
    void select(const LogMatch& m) override {
        QScrollBar* bar = v_->verticalScrollBar();
        const int at = bar->value();
        v_->setTextCursor(cursor(m));
        bar->setValue(at);
    }
    QRect rectOf(const LogMatch& m) const override { return v_->cursorRect(cursor(m)); }
    void centerOn(const LogMatch& m) override {
        QTextCursor at = cursor(m);
        at.setPosition(at.selectionStart());
        v_->setTextCursor(at);
        v_->centerCursor();
    }
    void setMarks(const QList<LogMatch>& others, const LogMatch& current) override {
        QList<QTextEdit::ExtraSelection> marks;
        marks.reserve(others.size() + 1);
        const auto mark = [&](const LogMatch& m, const QColor& background) {
            QTextEdit::ExtraSelection s;
            s.cursor = cursor(m);
            s.format.setBackground(background);
            s.format.setForeground(colors::Black); // readable on every colour scheme of the log
            marks.push_back(s);
        };
        for (const LogMatch& m : others)
            if (m != current) mark(m, kMatchMark);
        if (!current.isNull()) mark(current, kCurrentMark);
        v_->setExtraSelections(marks);
    }
    QList<QMetaObject::Connection> watchText(QObject* context,
                                             std::function<void(int line, bool removed)> changed) override {
        QTextDocument* doc = v_->document();
        return {QObject::connect(doc, &QTextDocument::contentsChange, context,
                                 [doc, changed](int position, int removed, int) {
                                     changed(doc->findBlock(position).blockNumber(), removed > 0);
                                 })};
    }

private:
    QTextCursor cursor(const LogMatch& m) const {
        const QTextBlock b = v_->document()->findBlockByNumber(m.line);
        QTextCursor c(b);
        c.setPosition(b.position() + m.column);
        c.setPosition(b.position() + m.column + m.length, QTextCursor::KeepAnchor);
        return c;
    }

    QPlainTextEdit* v_;
    DocumentLines lines_;
};

} // namespace

LogFindBar::LogFindBar(LogTextView* live, QPlainTextEdit* paused, QWidget* window)
    : QFrame(live->parentWidget()), live_(std::make_unique<LiveTarget>(live)),
      paused_(std::make_unique<PausedTarget>(paused)) {
    setObjectName(QStringLiteral("LogFindBar"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    findText = new QLineEdit(this);
    findText->setObjectName(QStringLiteral("FindText"));
    findText->setPlaceholderText(U("Найти"));
    findText->setToolTip(U("Текст для поиска в логе"));
    findText->setFixedWidth(170);
    findText->installEventFilter(this);
    // The arrows in the window font, as the command line's arrow.
    previousButton = Tool(this, "FindPrevious", QString(QChar(0x2191)), "Предыдущее (Shift+Enter, Shift+F3)");
    nextButton = Tool(this, "FindNext", QString(QChar(0x2193)), "Следующее (Enter, F3)");
    matchCase = new QCheckBox(U("Учитывать регистр"), this);
    matchCase->setObjectName(QStringLiteral("MatchCase"));
    matchCase->setToolTip(U("Различать прописные и строчные буквы"));
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("FindStatus"));
    status->setMinimumWidth(status->fontMetrics().horizontalAdvance(U(kNotFound)) + 4);
    closeButton = Tool(this, "FindClose", QString(QChar(0x00D7)), "Закрыть (Esc)");
    // Clicks leave the focus in the text, so Enter goes on searching.
    for (QWidget* w : {static_cast<QWidget*>(previousButton), static_cast<QWidget*>(nextButton),
                       static_cast<QWidget*>(matchCase), static_cast<QWidget*>(closeButton)})
        w->setFocusPolicy(Qt::TabFocus);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 2, 2);
    row->setSpacing(4);
    for (QWidget* w :
         {static_cast<QWidget*>(findText), static_cast<QWidget*>(previousButton), static_cast<QWidget*>(nextButton),
          static_cast<QWidget*>(matchCase), static_cast<QWidget*>(status), static_cast<QWidget*>(closeButton)})
        row->addWidget(w);

    connect(findText, &QLineEdit::textEdited, this, [this] { search(FindStep::Here); });
    connect(matchCase, &QCheckBox::toggled, this, [this] { search(FindStep::Here); });
    connect(previousButton, &QToolButton::clicked, this, &LogFindBar::findPrevious);
    connect(nextButton, &QToolButton::clicked, this, &LogFindBar::findNext);
    connect(closeButton, &QToolButton::clicked, this, &LogFindBar::closeBar);

    // No other control of the window uses these keys.
    new QShortcut(QKeySequence::Find, window, [this] { open(); });
    new QShortcut(QKeySequence(Qt::Key_F3), window, [this] {
        open();
        findNext();
    });
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), window, [this] {
        open();
        findPrevious();
    });

    refresh_.setSingleShot(true);
    refresh_.setInterval(0);
    connect(&refresh_, &QTimer::timeout, this, &LogFindBar::refresh);
    hide();
}

LogFindBar::~LogFindBar() = default;

FindTarget* LogFindBar::target() const {
    return paused_->widget()->isHidden() ? live_.get() : paused_.get();
}

LogFindQuery LogFindBar::query() const {
    return {findText->text(), matchCase->isChecked()};
}

void LogFindBar::open() {
    if (isHidden()) {
        FindTarget* v = target();
        QWidget* focus = QApplication::focusWidget();
        returnFocus_ = focus && !isAncestorOf(focus) ? focus : v->widget();
        // Text the user has selected on one line of the log is what he is looking for.
        const LogMatch picked = v->selection();
        if (!picked.isNull() && picked.length <= 200) {
            findText->setText(v->lines().lineText(picked.line).mid(picked.column, picked.length));
            current_ = picked;
        }
        setStatus({});
        watch(v);
        place();
        show();
        raise();
        refresh();
    }
    findText->setFocus();
    findText->selectAll();
}

void LogFindBar::closeBar() {
    if (isHidden()) return;
    FindTarget* v = watched_;
    watch(nullptr);
    hide();
    // The current match stays selected in the view, where it is seen: copying takes it.
    if (v && IsMatch(v->lines(), current_, query())) v->select(current_);
    QWidget* back = returnFocus_ && returnFocus_->isVisible() ? returnFocus_.data() : (v ? v->widget() : nullptr);
    if (back) back->setFocus();
}

void LogFindBar::findNext() {
    search(FindStep::Next);
}

void LogFindBar::findPrevious() {
    search(FindStep::Previous);
}

void LogFindBar::search(FindStep step) {
    if (isHidden()) return;
    if (target() != watched_) refresh(); // the log was paused or resumed since
    const LogFindQuery q = query();
    if (q.text.isEmpty()) {
        current_ = {};
        setStatus({});
        refresh();
        return;
    }
    // Without a current match the search starts at the top of what is on screen.
    const LogMatch from = current_.isNull() ? LogMatch{watched_->firstVisibleLine(), 0, 0} : current_;
    const LogFindResult r = FindInLog(watched_->lines(), q, from, step);
    current_ = r.match;
    if (current_.isNull())
        setStatus(U(kNotFound), /*notFound=*/true);
    else
        setStatus(r.wrapped ? U(step == FindStep::Previous ? kFromEnd : kFromStart) : QString());
    if (!current_.isNull()) showMatch(current_);
    refresh();
}

void LogFindBar::showMatch(const LogMatch& match) {
    FindTarget* v = watched_;
    if (match.line >= v->firstVisibleLine() && match.line <= v->lastVisibleLine()) {
        // On screen and clear of the bar, which covers the top of the view: the view stays where it is.
        const QRect r = v->rectOf(match);
        const int covered = geometry().bottom() - v->widget()->geometry().top() - v->viewport()->y();
        if (r.top() > covered && r.bottom() < v->viewport()->height()) return;
    }
    v->centerOn(match);
}

void LogFindBar::refresh() {
    refresh_.stop();
    if (isHidden()) return;
    FindTarget* v = target();
    if (v != watched_) { // the other view is on screen now: its text is another
        watch(v);
        place();
        current_ = {};
        setStatus({});
    }
    const LogFindQuery q = query();
    if (!current_.isNull() && !IsMatch(v->lines(), current_, q)) {
        current_ = {}; // cleared with the log
        if (!notFound_) setStatus({});
    }
    const QList<LogMatch> found = matchesNearView(q);
    v->setMarks(found, current_);
    // Entries that came in since may hold the text now.
    if ((!found.isEmpty() || !current_.isNull()) && notFound_) setStatus({});
}

QList<LogMatch> LogFindBar::matchesNearView(const LogFindQuery& q) {
    markedEnd_ = std::numeric_limits<int>::max(); // nothing to find: no change of the text matters
    if (q.text.isEmpty()) return {};
    // The visible lines first, so that a crowded margin never crowds them out.
    const LogLines& lines = watched_->lines();
    const int first = watched_->firstVisibleLine();
    const int last = watched_->lastVisibleLine();
    QList<LogMatch> found = MatchesInLines(lines, first, last, q, kMaxMarks);
    const int belowEnd = std::min(last + kMarginLines, lines.lineCount() - 1);
    // Lines added right after the marked ones are marked too: they come into view with the marked ones.
    markedEnd_ = belowEnd + 1 == lines.lineCount() ? belowEnd + 1 : belowEnd;
    found += MatchesInLines(lines, last + 1, belowEnd, q, kMaxMarks - int(found.size()));
    found += MatchesInLines(lines, std::max(0, first - kMarginLines), first - 1, q, kMaxMarks - int(found.size()));
    return found;
}

void LogFindBar::scheduleRefresh() {
    if (!isHidden() && !refresh_.isActive()) refresh_.start();
}

void LogFindBar::textChanged(int line, bool removed) {
    if (removed || line <= markedEnd_) scheduleRefresh();
}

void LogFindBar::watch(FindTarget* v) {
    if (watched_ == v) return;
    refresh_.stop();
    for (const QMetaObject::Connection& c : links_)
        disconnect(c);
    links_.clear();
    if (watched_) {
        watched_->setMarks({}, {});
        live_->widget()->removeEventFilter(this);
        paused_->widget()->removeEventFilter(this);
    }
    watched_ = v;
    if (!v) return;
    // Both views: pausing shows the one and hides the other.
    live_->widget()->installEventFilter(this);
    paused_->widget()->installEventFilter(this);
    links_ << v->watchText(this, [this](int line, bool removed) { textChanged(line, removed); });
    links_ << connect(v->scrollBar(), &QScrollBar::valueChanged, this, &LogFindBar::scheduleRefresh);
}

void LogFindBar::place() {
    FindTarget* v = watched_ ? watched_ : target();
    adjustSize();
    const QRect g = v->widget()->geometry();
    // Inside the view's top right corner, left of its scroll bar.
    const int right = g.left() + v->viewport()->geometry().right() - 2;
    move(std::max(g.left(), right - width() + 1), g.top() + 2);
}

void LogFindBar::setStatus(const QString& text, bool notFound) {
    notFound_ = notFound;
    status->setText(text);
    SetTextColor(status, notFound ? QColor(200, 0, 0) : TextColor(this));
}

bool LogFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (watched == findText && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            search(k->modifiers() & Qt::ShiftModifier ? FindStep::Previous : FindStep::Next);
            return true;
        }
        if ((watched == live_->widget() || watched == paused_->widget()) && k->key() == Qt::Key_Escape) {
            closeBar();
            return true;
        }
    }
    if (watched == live_->widget() || watched == paused_->widget()) {
        switch (event->type()) {
        case QEvent::ShowToParent: // the log paused or resumed
        case QEvent::HideToParent:
            scheduleRefresh();
            break;
        case QEvent::Resize:
        case QEvent::Move:
            place();
            scheduleRefresh();
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void LogFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closeBar();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace trelvo
