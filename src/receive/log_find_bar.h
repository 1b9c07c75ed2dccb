#pragma once
// The find bar of the log: a small panel floating over the top right of the log view, opened by Ctrl+F. It
// searches the view on screen (MainWindow, or SecondWindow while the log is paused), marks the matches near the
// visible lines and selects the current one. While it is closed it watches nothing, so drawing the log costs
// nothing more; while it is open its marks follow the view lazily, at most once per drawing.

#include "receive/log_find.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QTextCursor>
#include <QTimer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace trelvo {

class LogFindBar : public QFrame {
    Q_OBJECT
public:
    // Searches `live`, or `paused` while that one is shown. Ctrl+F and F3 / Shift+F3 work anywhere in `window`.
    LogFindBar(QPlainTextEdit* live, QPlainTextEdit* paused, QWidget* window);

    // Most matches marked at once; the visible lines come first.
    static constexpr int kMaxMarks = 300;
    // Lines above and below the visible ones whose matches are marked too, so that scrolling shows them at once.
    static constexpr int kMarginLines = 50;

    void open();
    void closeBar();
    void findNext();
    void findPrevious();
    // The view searched now.
    QPlainTextEdit* view() const;
    const QTextCursor& currentMatch() const { return current_; }
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
    void showMatch(const QTextCursor& match);
    void setStatus(const QString& text, bool notFound = false); // "not found" in red
    // Follows `v`'s text, scrolling, size and the switch between the views; nullptr stops following.
    void watch(QPlainTextEdit* v);
    void scheduleRefresh();
    // The matches in the visible lines and kMarginLines around them, at most kMaxMarks.
    QList<QTextCursor> matchesNearView(const LogFindQuery& q);
    // A change of the text: appending past the marked lines (the log growing while read back) needs nothing.
    void textChanged(int position, int removed);
    void place();
    // The first and the last line on screen.
    QTextBlock firstVisible() const;
    QTextBlock lastVisible() const;

    QPlainTextEdit* live_;
    QPlainTextEdit* paused_;
    QPlainTextEdit* watched_ = nullptr;
    QList<QMetaObject::Connection> links_;
    QTextCursor current_;
    int markedEnd_ = 0;     // end of the last line whose matches are marked
    bool notFound_ = false; // the status says the text is not in the log
    QPointer<QWidget> returnFocus_;
    QTimer refresh_;
};

} // namespace trelvo
