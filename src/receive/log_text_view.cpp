#include "receive/log_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace trelvo {
namespace {

// A row's text drawn on a background of its own: the selection, a mark.
struct Span {
    int begin, end; // bytes of the line
    QColor background, text;
};

QString MenuText(const char* text, QKeySequence::StandardKey key) {
    // The texts of a text editor's own menu, so a translation of the toolkit applies to both alike.
    return QCoreApplication::translate("QWidgetTextControl", text) + QLatin1Char('\t') +
           QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

LogTextView::LogTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    autoScroll_.setInterval(50);
    connect(&autoScroll_, &QTimer::timeout, this, [this] {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + autoScrollStep_);
        dragTo(posAt(viewport()->mapFromGlobal(QCursor::pos())));
    });
    frameLater_.setSingleShot(true);
    connect(&frameLater_, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    loadFont();
    relayout();
}

void LogTextView::appendLines(std::string_view text) {
    QScrollBar* bar = verticalScrollBar();
    const bool following = atEnd();
    const int firstLine = store_.lineCount();
    const int firstRow = store_.rowCount();
    store_.appendLines(text);
    updateRange();
    if (following && rowTop(firstRow) - (contentY(bar->maximum()) - contentY(shownValue_)) <= 0) {
        // A screenful or more of new rows: nothing on screen stays, so nothing is moved, and the new screen is drawn
        // at most once a frame, however often lines come.
        wholeScreenNew_ = true;
        bar->setValue(bar->maximum());
        wholeScreenNew_ = false;
        const qint64 since = sincePaint_.isValid() ? sincePaint_.elapsed() : kFrameMs;
        if (since >= kFrameMs)
            viewport()->update();
        else if (!frameLater_.isActive())
            frameLater_.start(static_cast<int>(kFrameMs - since));
        emit linesAdded(firstLine);
        return;
    }
    if (following) bar->setValue(bar->maximum()); // scrolls what is on screen up: only the band below is painted
    // The new rows where they show now; rows below the view are not drawn.
    const int top = rowTop(firstRow);
    if (top < viewport()->height()) viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
    emit linesAdded(firstLine);
}

void LogTextView::clear() {
    store_.clear();
    anchor_ = cursor_ = {};
    selectingLinesFrom_ = -1;
    marks_.clear();
    updateRange();
    viewport()->update();
    emit cleared();
}

QString LogTextView::toPlainText() const {
    return FromCp1251(store_.allText());
}

void LogTextView::setSelection(LogPos anchor, LogPos cursor) {
    anchor_ = anchor;
    cursor_ = cursor;
    viewport()->update();
}

QString LogTextView::selectedText() const {
    return FromCp1251(store_.text(std::min(anchor_, cursor_), std::max(anchor_, cursor_)));
}

void LogTextView::selectAll() {
    setSelection({}, store_.end());
}

void LogTextView::copy() const {
    if (hasSelection()) QGuiApplication::clipboard()->setText(selectedText());
}

void LogTextView::setMarks(QList<LogMark> marks) {
    if (marks.isEmpty() && marks_.isEmpty()) return;
    marks_ = std::move(marks);
    viewport()->update();
}

int LogTextView::firstVisibleLine() const {
    if (store_.lineCount() == 0) return 0;
    return store_.row(std::min(rowAtY(0), store_.rowCount() - 1)).line;
}

int LogTextView::lastVisibleLine() const {
    if (store_.lineCount() == 0) return 0;
    return store_.row(std::min(rowAtY(viewport()->height() - 1), store_.rowCount() - 1)).line;
}

QRect LogTextView::rectOf(LogPos p) const {
    const int x = kMargin + static_cast<int>(store_.xOf(p));
    return {x, rowTop(store_.rowOf(p)), 1, rowHeight_};
}

void LogTextView::centerOn(LogPos p) {
    const int rows = viewport()->height() / rowHeight_;
    verticalScrollBar()->setValue(store_.rowOf(p) - rows / 2);
}

// The scroll bar counts rows. At the top the text starts a margin down; scrolled, the first row in view is at the
// very top, as in a text editor.
int LogTextView::contentY(int value) const {
    return value == 0 ? -kMargin : value * rowHeight_;
}

int LogTextView::rowTop(int row) const {
    return row * rowHeight_ - contentY(verticalScrollBar()->value());
}

int LogTextView::rowAtY(int y) const {
    const int at = y + contentY(verticalScrollBar()->value());
    return at < 0 ? 0 : at / rowHeight_;
}

LogPos LogTextView::posAt(const QPoint& p) const {
    if (store_.lineCount() == 0) return {};
    const int offset = p.y() - rowTop(0);
    if (offset < 0) return {};
    const int row = offset / rowHeight_;
    if (row >= store_.rowCount()) return store_.end();
    return store_.posAt(row, static_cast<float>(p.x() - kMargin));
}

bool LogTextView::atEnd() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void LogTextView::updateRange() {
    const int height = viewport()->height();
    const int rows = store_.rowCount();
    // Scrolled to the end, the last row is fully in view, a margin above the bottom.
    const int max = rows * rowHeight_ + 2 * kMargin <= height
                        ? 0
                        : std::max(1, (rows * rowHeight_ + kMargin - height + rowHeight_ - 1) / rowHeight_);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, height / rowHeight_));
    bar->setRange(0, max);
}

void LogTextView::loadFont() {
    const QFont f = font();
    raw_ = QRawFont::fromFont(f);
    fallbacks_.clear();
    QString one(1, QChar());
    for (std::size_t b = 0; b < 256; ++b) {
        one[0] = QChar(Cp1251ToUnicode(static_cast<std::uint8_t>(b)));
        const QList<quint32> g = raw_.glyphIndexesForString(one);
        const quint32 glyph = g.isEmpty() ? 0 : g.front();
        const QChar::Category kind = one[0].category();
        if (glyph != 0 && kind != QChar::Other_Control && kind != QChar::Other_Format) {
            glyph_[b] = glyph;
            advance_[b] = static_cast<float>(raw_.advancesForGlyphIndexes(QList<quint32>{glyph}).front().x());
            continue;
        }
        // A character the font lacks, a control, the soft hyphen: the room and the glyph a text layout gives it
        // within a line (alone, a soft hyphen would end the line and show). Controls and the soft hyphen take none
        // and draw nothing; a missing character is drawn from a fallback font.
        glyph_[b] = 0;
        advance_[b] = 0;
        if (b == '\t') continue; // the rows measure tabs themselves
        QTextLayout layout(QLatin1Char('x') + one + QLatin1Char('x'), f);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        advance_[b] = static_cast<float>(line.cursorToX(2) - line.cursorToX(1));
        for (const QGlyphRun& run : line.glyphRuns(1, 1)) {
            if (run.glyphIndexes().isEmpty() || run.glyphIndexes().front() == 0) continue;
            if (run.rawFont() == raw_) {
                glyph_[b] = run.glyphIndexes().front();
                break;
            }
            auto at = std::find(fallbacks_.begin(), fallbacks_.end(), run.rawFont());
            if (at == fallbacks_.end()) at = fallbacks_.insert(at, run.rawFont());
            const auto number = static_cast<quint32>(at - fallbacks_.begin() + 1);
            glyph_[b] = number << kFallbackShift | run.glyphIndexes().front();
            break;
        }
    }
    spaceWidth_ = advance_[' '];
    // Rows as far apart as a text editor's lines, leading included, with the baseline where it puts it.
    QTextLayout sample(QStringLiteral("x"), f);
    sample.beginLayout();
    QTextLine line = sample.createLine();
    line.setLeadingIncluded(true);
    sample.endLayout();
    rowHeight_ = std::max(1, static_cast<int>(std::ceil(line.height())));
    ascent_ = static_cast<float>(line.ascent());
}

void LogTextView::relayout() {
    const bool following = atEnd();
    const LogPos top{firstVisibleLine(), 0};
    LogMetrics m;
    m.advance = advance_;
    wrapWidth_ = viewport()->width();
    m.width = static_cast<float>(wrapWidth_ - 2 * kMargin);
    store_.setMetrics(m);
    updateRange();
    QScrollBar* bar = verticalScrollBar();
    if (following)
        bar->setValue(bar->maximum());
    else if (store_.lineCount() > 0)
        bar->setValue(store_.firstRowOf(std::min(top.line, store_.lineCount() - 1)));
    viewport()->update();
}

void LogTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (viewport()->width() != wrapWidth_)
        relayout();
    else
        updateRange();
}

void LogTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        loadFont();
        relayout();
    }
    if (event->type() == QEvent::PaletteChange) viewport()->update();
}

void LogTextView::scrollContentsBy(int, int) {
    const int value = verticalScrollBar()->value();
    if (!wholeScreenNew_) viewport()->scroll(0, contentY(shownValue_) - contentY(value));
    shownValue_ = value;
}

void LogTextView::paintEvent(QPaintEvent* event) {
    sincePaint_.start();
    if (store_.lineCount() == 0) return;
    QPainter painter(viewport());
    const QRect area = event->rect();
    int row = std::max(0, rowAtY(area.top()));
    const int lastRow = std::min(store_.rowCount() - 1, rowAtY(area.bottom()));
    if (row > lastRow) return;
    // Line by line, so that a long line's breaks are found once per paint.
    int line = store_.row(row).line;
    while (row <= lastRow && line < store_.lineCount()) {
        const std::string_view s = store_.line(line);
        const std::vector<int> breaks = store_.breaks(s);
        for (std::size_t k = static_cast<std::size_t>(row - store_.firstRowOf(line));
             k < breaks.size() && row <= lastRow; ++k, ++row) {
            const int end = k + 1 < breaks.size() ? breaks[k + 1] : static_cast<int>(s.size());
            drawRow(painter, s, breaks[k], end, line, rowTop(row));
        }
        ++line;
    }
}

void LogTextView::drawRow(QPainter& painter, std::string_view line, int begin, int end, int lineIndex, int top) const {
    const LogMetrics& m = store_.metrics();
    const QColor text = palette().color(QPalette::Text);
    // Spans with a look of their own: the marks, then the selection over them.
    std::vector<Span> spans;
    const auto add = [&](LogPos from, LogPos to, const QColor& background, const QColor& fg) {
        if (to.line < lineIndex || from.line > lineIndex) return;
        const int b = std::max(begin, from.line < lineIndex ? begin : from.column);
        const int e = std::min(end, to.line > lineIndex ? end : to.column);
        if (e > b) spans.push_back({b, e, background, fg});
    };
    for (const LogMark& mark : marks_)
        add(mark.start, {mark.start.line, mark.start.column + mark.length}, mark.background, Qt::black);
    if (hasSelection())
        add(std::min(anchor_, cursor_), std::max(anchor_, cursor_), palette().color(QPalette::Highlight),
            palette().color(QPalette::HighlightedText));

    // The look of each byte of the row: the last span over it wins.
    std::vector<int> look(static_cast<std::size_t>(end - begin), -1);
    for (std::size_t i = 0; i < spans.size(); ++i)
        for (int b = spans[i].begin; b < spans[i].end; ++b)
            look[static_cast<std::size_t>(b - begin)] = static_cast<int>(i);

    const float baseline = static_cast<float>(top) + ascent_;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    struct Placed {
        quint32 glyph; // with its font's number
        float x;
    };
    std::vector<Placed> fallback; // glyphs of the fallback fonts, drawn after the font's own
    float x = 0;
    int b = begin;
    while (b < end) {
        const int style = look[static_cast<std::size_t>(b - begin)];
        const float left = x;
        glyphs.clear();
        positions.clear();
        fallback.clear();
        int e = b;
        for (; e < end && look[static_cast<std::size_t>(e - begin)] == style; ++e) {
            const auto c = static_cast<unsigned char>(line[static_cast<std::size_t>(e)]);
            const quint32 g = glyph_[c];
            if (g != 0) {
                if (g >> kFallbackShift == 0) {
                    glyphs.push_back(g);
                    positions.push_back(QPointF(x, 0));
                } else {
                    fallback.push_back({g, x});
                }
            }
            x += c == '\t' ? (static_cast<int>(x / m.tabStop) + 1) * m.tabStop - x : m.advance[c];
        }
        if (style >= 0)
            painter.fillRect(QRectF(kMargin + left, top, x - left, rowHeight_),
                             spans[static_cast<std::size_t>(style)].background);
        painter.setPen(style >= 0 ? spans[static_cast<std::size_t>(style)].text : text);
        const auto draw = [&](const QRawFont& font) {
            if (glyphs.isEmpty()) return;
            QGlyphRun run;
            run.setRawFont(font);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(kMargin, baseline), run);
        };
        draw(raw_);
        for (std::size_t font = 1; !fallback.empty() && font <= fallbacks_.size(); ++font) {
            glyphs.clear();
            positions.clear();
            for (const Placed& p : fallback) {
                if (p.glyph >> kFallbackShift != font) continue;
                glyphs.push_back(p.glyph & ((1u << kFallbackShift) - 1));
                positions.push_back(QPointF(p.x, 0));
            }
            draw(fallbacks_[font - 1]);
        }
        b = e;
    }
    // A selection that goes on past the line's end shows the line break as selected: a space wide after the text.
    if (end == static_cast<int>(line.size()) && hasSelection()) {
        const LogPos from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
        if (to.line > lineIndex && from <= LogPos{lineIndex, end})
            painter.fillRect(QRectF(kMargin + x, top, spaceWidth_, rowHeight_), palette().color(QPalette::Highlight));
    }
}

void LogTextView::moveCursor(LogPos to, bool keepAnchor) {
    cursor_ = to;
    if (!keepAnchor) anchor_ = to;
    viewport()->update();
}

void LogTextView::ensureVisible(LogPos p) {
    QScrollBar* bar = verticalScrollBar();
    const int row = store_.rowOf(p);
    const int rows = std::max(1, (viewport()->height() - kMargin) / rowHeight_);
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + rows)
        bar->setValue(row - rows + 1);
}

void LogTextView::selectLines(LogPos to) {
    const int from = std::min(selectingLinesFrom_, store_.lineCount() - 1);
    // With its line break, as a text editor selects a line; the last line has none.
    const auto lineEnd = [&](int l) {
        return l + 1 < store_.lineCount() ? LogPos{l + 1, 0} : LogPos{l, store_.lineSize(l)};
    };
    if (to.line >= from)
        setSelection({from, 0}, lineEnd(to.line));
    else
        setSelection(lineEnd(from), {to.line, 0});
}

void LogTextView::dragTo(LogPos to) {
    if (selectingLinesFrom_ >= 0 && store_.lineCount() > 0)
        selectLines(to);
    else
        moveCursor(to, true);
}

void LogTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selecting_ = true;
    selectingLinesFrom_ = -1;
    const QPoint at = event->position().toPoint();
    // A third click soon after a double click, where it was: the whole line, as a text editor selects it.
    if (sinceDoubleClick_.isValid() && sinceDoubleClick_.elapsed() < QApplication::doubleClickInterval() &&
        (at - doubleClickAt_).manhattanLength() < QApplication::startDragDistance() && store_.lineCount() > 0) {
        sinceDoubleClick_.invalidate();
        selectingLinesFrom_ = posAt(at).line;
        selectLines(posAt(at));
        return;
    }
    moveCursor(posAt(at), event->modifiers() & Qt::ShiftModifier);
}

void LogTextView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
    const int y = event->position().toPoint().y();
    autoScrollStep_ = y < 0 ? -1 : (y >= viewport()->height() ? 1 : 0);
    if (autoScrollStep_ != 0 && !autoScroll_.isActive()) autoScroll_.start();
    if (autoScrollStep_ == 0) autoScroll_.stop();
    dragTo(posAt(event->position().toPoint()));
}

void LogTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selecting_ = false;
    selectingLinesFrom_ = -1;
    autoScroll_.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection()) clipboard->setText(selectedText(), QClipboard::Selection);
}

void LogTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || store_.lineCount() == 0) return;
    // The word under the mouse: the run of bytes between blanks.
    const LogPos at = posAt(event->position().toPoint());
    const std::string_view s = store_.line(at.line);
    const auto blank = [&](int i) {
        return s[static_cast<std::size_t>(i)] == ' ' || s[static_cast<std::size_t>(i)] == '\t';
    };
    int b = at.column, e = at.column;
    while (b > 0 && !blank(b - 1))
        --b;
    while (e < static_cast<int>(s.size()) && !blank(e))
        ++e;
    setSelection({at.line, b}, {at.line, e});
    selecting_ = true;
    sinceDoubleClick_.start();
    doubleClickAt_ = event->position().toPoint();
}

void LogTextView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy || (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (!shift) {
        // Without Shift the keys move the view, as in a read-only text editor.
        switch (event->key()) {
        case Qt::Key_Up:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        case Qt::Key_Down:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        case Qt::Key_PageUp:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            return;
        case Qt::Key_PageDown:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return;
        case Qt::Key_Home:
            if (ctrl) bar->setValue(0);
            return;
        case Qt::Key_End:
            if (ctrl) bar->setValue(bar->maximum());
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    // With Shift they extend the selection from its moving end.
    if (store_.lineCount() == 0) return;
    LogPos to = cursor_;
    const int row = store_.rowOf(cursor_);
    const float x = store_.xOf(cursor_);
    const int page = std::max(1, bar->pageStep());
    const auto lineEnd = [&](int l) { return LogPos{l, static_cast<int>(store_.line(l).size())}; };
    switch (event->key()) {
    case Qt::Key_Left:
        to = to.column > 0 ? LogPos{to.line, to.column - 1} : (to.line > 0 ? lineEnd(to.line - 1) : to);
        break;
    case Qt::Key_Right:
        to = to.column < static_cast<int>(store_.line(to.line).size())
                 ? LogPos{to.line, to.column + 1}
                 : (to.line + 1 < store_.lineCount() ? LogPos{to.line + 1, 0} : to);
        break;
    case Qt::Key_Up:
        to = row > 0 ? store_.posAt(row - 1, x) : LogPos{};
        break;
    case Qt::Key_Down:
        to = row + 1 < store_.rowCount() ? store_.posAt(row + 1, x) : store_.end();
        break;
    case Qt::Key_PageUp:
        to = store_.posAt(std::max(0, row - page), x);
        break;
    case Qt::Key_PageDown:
        to = store_.posAt(std::min(store_.rowCount() - 1, row + page), x);
        break;
    case Qt::Key_Home:
        to = ctrl ? LogPos{} : LogPos{to.line, 0};
        break;
    case Qt::Key_End:
        to = ctrl ? store_.end() : lineEnd(to.line);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    moveCursor(to, true);
    ensureVisible(to);
}

void LogTextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(MenuText("&Copy", QKeySequence::Copy), this, &LogTextView::copy);
    copyAction->setEnabled(hasSelection());
    menu.addSeparator();
    QAction* all = menu.addAction(MenuText("Select All", QKeySequence::SelectAll), this, &LogTextView::selectAll);
    all->setEnabled(store_.lineCount() > 0);
    menu.exec(event->globalPos());
}

void LogTextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (hasSelection()) viewport()->update();
}

void LogTextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (hasSelection()) viewport()->update();
}

} // namespace trelvo
