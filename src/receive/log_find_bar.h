#pragma once
// The find bar of the log: a small panel floating over the top right of the log view, opened by Ctrl+F. It
// searches the view on screen (MainWindow, or SecondWindow while the log is paused), marks the matches near the
// visible lines and selects the current one. While it is closed it watches nothing, so drawing the log costs
// nothing more; while it is open its marks follow the view lazily, at most once per drawing.

#include "receive/log_find.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QToolButton;

namespace trelvo {

class LogTextView;

// What the bar needs of a view it searches: the log's own view, or the paused view's editable text.
class FindTarget {
public:
    virtual ~FindTarget() = default;
    virtual QWidget* widget() const = 0;
    virtual QWidget* viewport() const = 0;
    virtual QScrollBar* scrollBar() const = 0;
    virtual const LogLines& lines() const = 0;
    virtual int firstVisibleLine() const = 0;
    virtual int lastVisibleLine() const = 0;
    // The selection when it lies within one line, else null.
    virtual LogMatch selection() const = 0;
    // Selects the stretch without scrolling.
    virtual void select(const LogMatch& m) = 0;
    // The row of the stretch's start, in the viewport.
    virtual QRect rectOf(const LogMatch& m) const = 0;
    virtual void centerOn(const LogMatch& m) = 0;
    virtual void setMarks(const QList<LogMatch>& others, const LogMatch& current) = 0;
    // Calls `changed(line, removed)` when text changes from `line` on (`removed`: some text went).
    virtual QList<QMetaObject::Connection> watchText(QObject* context,
                                                     std::function<void(int line, bool removed)> changed) = 0;
};

class LogFindBar : public QFrame {
    Q_OBJECT
public:
    // Searches `live`, or `paused` while that one is shown. Ctrl+F and F3 / Shift+F3 work anywhere in `window`.
    LogFindBar(LogTextView* live, QPlainTextEdit* paused, QWidget* window);
    ~LogFindBar() override;

    // Most matches marked at once; the visible lines come first.
    static constexpr int kMaxMarks = 300;
    // Lines above and below the visible ones whose matches are marked too, so that scrolling shows them at once.
    static constexpr int kMarginLines = 50;

    void open();
    void closeBar();
    void findNext();
    void findPrevious();
    // The view searched now.
    QWidget* view() const { return target()->widget(); }
    const LogMatch& currentMatch() const { return current_; }
    // Marks the matches near the visible lines again and drops a current match that is gone; runs lazily after
    // the view changes, and may be called directly.
    void refresh();

    QLineEdit* findText;
    QToolButton* previousButton;
    QToolButton* nextButton;
    QCheckBox* matchCase;
    QLabel* status;
    QToolButton* closeButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    LogFindQuery query() const;
    void search(FindStep step);
    FindTarget* target() const;
    void showMatch(const LogMatch& match);
    void setStatus(const QString& text, bool notFound = false); // "not found" in red
    // Follows `v`'s text, scrolling, size and the switch between the views; nullptr stops following.
    void watch(FindTarget* v);
    void scheduleRefresh();
    // The matches in the visible lines and kMarginLines around them, at most kMaxMarks.
    QList<LogMatch> matchesNearView(const LogFindQuery& q);
    // A change of the text: appending past the marked lines (the log growing while read back) needs nothing.
    void textChanged(int line, bool removed);
    void place();

    std::unique_ptr<FindTarget> live_;
    std::unique_ptr<FindTarget> paused_;
    FindTarget* watched_ = nullptr;
    QList<QMetaObject::Connection> links_;
    LogMatch current_;
    int markedEnd_ = 0;     // the last line whose matches are marked
    bool notFound_ = false; // the status says the text is not in the log
    QPointer<QWidget> returnFocus_;
    QTimer refresh_;
};

} // namespace trelvo
