#pragma once
// The log window's view: draws the lines of a LogStore, wrapped at its width, with a vertical scroll bar in rows.
// Only the rows on screen are laid out and drawn, from glyphs looked up once per byte of the code page, and a
// drawing that adds lines at the end repaints only where they show. Read-only: selection with the mouse and the
// keyboard, copy, select all, a context menu, and marks laid over the text (the find bar's).

#include "receive/log_store.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QRawFont>
#include <QTimer>

#include <array>
#include <string_view>
#include <vector>

namespace trelvo {

// A stretch of one line drawn on a background of its own, in black.
struct LogMark {
    LogPos start;
    int length = 0;
    QColor background;
};

class LogTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LogTextView(QWidget* parent = nullptr);

    // Empty space around the text, as a text editor's document margin.
    static constexpr int kMargin = 4;
    // A screenful of new lines at a time (a flood) is drawn at most once a frame.
    static constexpr qint64 kFrameMs = 16;

    const LogStore& store() const { return store_; }
    // New lines separated by "\n". A view showing its last row keeps showing the last row.
    void appendLines(std::string_view text);
    void clear();
    QString toPlainText() const;

    LogPos anchor() const { return anchor_; }
    LogPos cursor() const { return cursor_; }
    bool hasSelection() const { return anchor_ != cursor_; }
    void setSelection(LogPos anchor, LogPos cursor);
    QString selectedText() const;
    void selectAll();
    void copy() const;

    void setMarks(QList<LogMark> marks);
    const QList<LogMark>& marks() const { return marks_; }

    int firstVisibleLine() const;
    int lastVisibleLine() const;
    // The row box of a place, in the viewport's coordinates.
    QRect rectOf(LogPos p) const;
    // Scrolls so that the row of `p` is in the middle of the view.
    void centerOn(LogPos p);
    int rowHeight() const { return rowHeight_; }

signals:
    // Lines from `firstLine` on are new.
    void linesAdded(int firstLine);
    void cleared();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The glyph and the advance of each byte, as a text layout of the font would draw it.
    void loadFont();
    // The width of the rows, the scroll range; keeps the first line in view or, when the view showed its end, the end.
    void relayout();
    void updateRange();
    bool atEnd() const;
    // y of the top of the viewport in the text, at a scroll bar value.
    int contentY(int value) const;
    // y of the top of a row in the viewport.
    int rowTop(int row) const;
    int rowAtY(int y) const;
    LogPos posAt(const QPoint& p) const;
    void moveCursor(LogPos to, bool keepAnchor);
    void ensureVisible(LogPos p);
    void drawRow(QPainter& painter, std::string_view line, int begin, int end, int lineIndex, int top) const;
    // While the mouse selects whole lines (after a triple click): from the line first clicked to the one at `to`.
    void selectLines(LogPos to);
    // The mouse selecting with its button held: by lines after a triple click, else from the anchor.
    void dragTo(LogPos to);

    LogStore store_;
    QRawFont raw_;
    // Each byte's glyph: 0 draws nothing; with a font number at kFallbackShift and up, a glyph of that fallback font
    // (fallbacks_[number - 1]) for a character the font lacks.
    static constexpr int kFallbackShift = 24;
    std::array<quint32, 256> glyph_{};
    std::vector<QRawFont> fallbacks_;
    std::array<float, 256> advance_{};
    float spaceWidth_ = 0; // of the strip that shows a selected line break
    int rowHeight_ = 1;
    float ascent_ = 0;
    int wrapWidth_ = -1;
    int shownValue_ = 0; // the scroll bar's value the viewport shows
    LogPos anchor_, cursor_;
    QList<LogMark> marks_;
    bool selecting_ = false;
    int selectingLinesFrom_ = -1; // the line a triple click selected, while the mouse extends the selection by lines
    QElapsedTimer sinceDoubleClick_;
    QPoint doubleClickAt_;
    QTimer autoScroll_; // while a drag selects past the top or the bottom
    QElapsedTimer sincePaint_;
    QTimer frameLater_;
    bool wholeScreenNew_ = false;
    int autoScrollStep_ = 0;
};

} // namespace trelvo
