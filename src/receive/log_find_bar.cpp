#include "receive/log_find_bar.h"

#include "app/appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
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

QTextEdit::ExtraSelection Mark(const QTextCursor& c, const QColor& background) {
    QTextEdit::ExtraSelection s;
    s.cursor = c;
    s.format.setBackground(background);
    s.format.setForeground(colors::Black); // readable on every colour scheme of the log
    return s;
}

} // namespace

LogFindBar::LogFindBar(QPlainTextEdit* live, QPlainTextEdit* paused, QWidget* window)
    : QFrame(live->parentWidget()), live_(live), paused_(paused) {
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

QPlainTextEdit* LogFindBar::view() const {
    return paused_->isHidden() ? live_ : paused_;
}

LogFindQuery LogFindBar::query() const {
    return {findText->text(), matchCase->isChecked()};
}

void LogFindBar::open() {
    if (isHidden()) {
        QPlainTextEdit* v = view();
        QWidget* focus = QApplication::focusWidget();
        returnFocus_ = focus && !isAncestorOf(focus) ? focus : v;
        // Text the user has selected on one line of the log is what he is looking for.
        const QTextCursor picked = v->textCursor();
        const QString text = picked.selectedText();
        if (!text.isEmpty() && text.size() <= 200 && !text.contains(QChar::ParagraphSeparator)) {
            findText->setText(text);
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
    QPlainTextEdit* v = watched_;
    watch(nullptr);
    hide();
    // The current match stays selected in the view, where it is seen: copying takes it.
    if (v && !current_.isNull() && current_.document() == v->document()) {
        QScrollBar* bar = v->verticalScrollBar();
        const int at = bar->value();
        v->setTextCursor(current_);
        bar->setValue(at);
    }
    QWidget* back = returnFocus_ && returnFocus_->isVisible() ? returnFocus_.data() : v;
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
    if (view() != watched_) refresh(); // the log was paused or resumed since
    const LogFindQuery q = query();
    if (q.text.isEmpty()) {
        current_ = QTextCursor();
        setStatus({});
        refresh();
        return;
    }
    // Without a current match the search starts at the top of what is on screen.
    const QTextCursor from = current_.isNull() ? QTextCursor(firstVisible()) : current_;
    const LogFindResult r = FindInLog(*watched_->document(), q, from, step);
    current_ = r.match;
    if (current_.isNull())
        setStatus(U(kNotFound), /*notFound=*/true);
    else
        setStatus(r.wrapped ? U(step == FindStep::Previous ? kFromEnd : kFromStart) : QString());
    if (!current_.isNull()) showMatch(current_);
    refresh();
}

void LogFindBar::showMatch(const QTextCursor& match) {
    QPlainTextEdit* v = watched_;
    const int n = match.blockNumber();
    if (n >= firstVisible().blockNumber() && n <= lastVisible().blockNumber()) {
        // On screen and clear of the bar, which covers the top of the view: the view stays where it is.
        const QRect r = v->cursorRect(match);
        const int covered = geometry().bottom() - v->geometry().top() - v->viewport()->y();
        if (r.top() > covered && r.bottom() < v->viewport()->height()) return;
    }
    QTextCursor at(match);
    at.setPosition(match.selectionStart());
    v->setTextCursor(at);
    v->centerCursor();
}

void LogFindBar::refresh() {
    refresh_.stop();
    if (isHidden()) return;
    QPlainTextEdit* v = view();
    if (v != watched_) { // the other view is on screen now: its text is another
        watch(v);
        place();
        current_ = QTextCursor();
        setStatus({});
    }
    const LogFindQuery q = query();
    if (!current_.isNull() && (current_.document() != v->document() || !IsMatch(current_, q))) {
        current_ = QTextCursor(); // cleared with the log, or the other view
        if (!notFound_) setStatus({});
    }
    const QList<QTextCursor> found = matchesNearView(q);
    static const QColor kMatch(255, 240, 120);
    static const QColor kCurrent(255, 150, 50);
    QList<QTextEdit::ExtraSelection> marks;
    marks.reserve(found.size() + 1);
    for (const QTextCursor& c : found)
        if (current_.isNull() || c.selectionStart() != current_.selectionStart()) marks.push_back(Mark(c, kMatch));
    if (!current_.isNull()) marks.push_back(Mark(current_, kCurrent));
    v->setExtraSelections(marks);
    // Entries that came in since may hold the text now.
    if (!marks.isEmpty() && notFound_) setStatus({});
}

QList<QTextCursor> LogFindBar::matchesNearView(const LogFindQuery& q) {
    markedEnd_ = std::numeric_limits<int>::max(); // nothing to find: no change of the text matters
    if (q.text.isEmpty()) return {};
    // The visible lines first, so that a crowded margin never crowds them out.
    const QTextBlock first = firstVisible();
    const QTextBlock last = lastVisible();
    QList<QTextCursor> found = MatchesInLines(first, last, q, kMaxMarks);
    QTextBlock belowEnd = last;
    for (int i = 0; i < kMarginLines && belowEnd.next().isValid(); ++i)
        belowEnd = belowEnd.next();
    markedEnd_ = belowEnd.position() + belowEnd.length() - 1;
    if (belowEnd != last) found += MatchesInLines(last.next(), belowEnd, q, kMaxMarks - int(found.size()));
    QTextBlock aboveStart = first;
    for (int i = 0; i < kMarginLines && aboveStart.previous().isValid(); ++i)
        aboveStart = aboveStart.previous();
    if (aboveStart != first) found += MatchesInLines(aboveStart, first.previous(), q, kMaxMarks - int(found.size()));
    return found;
}

void LogFindBar::scheduleRefresh() {
    if (!isHidden() && !refresh_.isActive()) refresh_.start();
}

void LogFindBar::textChanged(int position, int removed) {
    if (removed > 0 || position <= markedEnd_) scheduleRefresh();
}

void LogFindBar::watch(QPlainTextEdit* v) {
    if (watched_ == v) return;
    refresh_.stop();
    for (const QMetaObject::Connection& c : links_)
        disconnect(c);
    links_.clear();
    if (watched_) {
        watched_->setExtraSelections({});
        live_->removeEventFilter(this);
        paused_->removeEventFilter(this);
    }
    watched_ = v;
    if (!v) return;
    // Both views: pausing shows the one and hides the other.
    live_->installEventFilter(this);
    paused_->installEventFilter(this);
    links_ << connect(v->document(), &QTextDocument::contentsChange, this,
                      [this](int position, int removed, int) { textChanged(position, removed); });
    links_ << connect(v->verticalScrollBar(), &QScrollBar::valueChanged, this, &LogFindBar::scheduleRefresh);
}

void LogFindBar::place() {
    QPlainTextEdit* v = watched_ ? watched_ : view();
    adjustSize();
    const QRect g = v->geometry();
    // Inside the view's top right corner, left of its scroll bar.
    const int right = g.left() + v->viewport()->geometry().right() - 2;
    move(std::max(g.left(), right - width() + 1), g.top() + 2);
}

QTextBlock LogFindBar::firstVisible() const {
    return watched_->cursorForPosition(QPoint(0, 0)).block();
}

QTextBlock LogFindBar::lastVisible() const {
    return watched_->cursorForPosition(QPoint(0, watched_->viewport()->height() - 1)).block();
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
        if ((watched == live_ || watched == paused_) && k->key() == Qt::Key_Escape) {
            closeBar();
            return true;
        }
    }
    if (watched == live_ || watched == paused_) {
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
