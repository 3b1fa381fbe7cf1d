#include "editor_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "config_dialog.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/paint.h"
#include "key_codes.h"
#include "main_window.h"
#include "shell/dispatch.h"
#include "shell/exit_questions.h"
#include "shell/settings.h"
#include "shell/shortcuts.h"

namespace velt::gui {
namespace {

// One wheel notch, in eighths of a degree.
constexpr int kWheelNotch = 120;

// Lines hold the system's 8-bit text: one byte, one column. Control bytes have no glyph
// of their own width, so they show as a middle dot.
QString DisplayText(const std::string& text, bool* ascii) {
    QString s(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    *ascii = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            s[static_cast<qsizetype>(i)] = QChar(0x00B7);
        else
            s[static_cast<qsizetype>(i)] = QChar(c);
        if (c >= 0x7F) *ascii = false;
    }
    return s;
}

void XorRect(QPainter& p, const QRect& r, const QColor& c) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(r, c);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// The characters a key types, as the editor's character handler takes them: Enter 13,
// Backspace 8, Tab and Shift+Tab 9, Esc 27, Ctrl+letter 1-26, else the event's text as
// Latin-1 bytes. With Alt down nothing is typed: those keys are the menus'. `unrepresentable`
// is set when the text holds characters the 8-bit lines cannot take.
std::vector<unsigned> TypedCharacters(const QKeyEvent& event, bool* unrepresentable) {
    *unrepresentable = false;
    const Qt::KeyboardModifiers m = event.modifiers();
    if (m & Qt::AltModifier) return {};
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return {13};
        case Qt::Key_Backspace:
            return {8};
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return {9};
        case Qt::Key_Escape:
            return {27};
        default:
            break;
    }
    if (m & Qt::ControlModifier) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
            return {static_cast<unsigned>(event.key() - Qt::Key_A + 1)};
        return {};
    }
    std::vector<unsigned> chars;
    for (const QChar c : event.text()) {
        const unsigned u = c.unicode();
        // Control characters come only from the named keys above (Delete's text is 127).
        if (u < 0x20 || u == 0x7F) continue;
        if (u > 0xFF) {
            *unrepresentable = true;
            continue;
        }
        chars.push_back(u);
    }
    return chars;
}

QPixmap MakeBitmap(void (*draw)(QPainter&)) {
    QPixmap pm(kMarginBitmapHeight, kMarginBitmapHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pm;
}

}  // namespace

const QPixmap& EditorWindow::BreakpointBitmap() {
    static const QPixmap pm = MakeBitmap([](QPainter& p) {
        p.setPen(QPen(QColor(0x80, 0, 0), 1));
        p.setBrush(QColor(0xE0, 0x10, 0x10));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    });
    return pm;
}

const QPixmap& EditorWindow::DebuggerLineBitmap() {
    static const QPixmap pm = MakeBitmap([](QPainter& p) {
        QPainterPath arrow;
        arrow.moveTo(1.5, 5.5);
        arrow.lineTo(8.5, 5.5);
        arrow.lineTo(8.5, 1.5);
        arrow.lineTo(14.5, 8);
        arrow.lineTo(8.5, 14.5);
        arrow.lineTo(8.5, 10.5);
        arrow.lineTo(1.5, 10.5);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(0x60, 0x50, 0), 1));
        p.setBrush(QColor(0xFF, 0xE0, 0x20));
        p.drawPath(arrow);
    });
    return pm;
}

EditorWindow::EditorWindow(EditView* view, const GlobalSettings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view), settings_(settings) {
    setObjectName("editor");
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    // Every pixel is painted: no background fill first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applySettings();
    syncFromView();
}

EditView* EditorWindow::liveView() const {
    // A view released without the window being told must never be drawn from.
    for (EditView* v = FirstView(); v; v = v->next)
        if (v == view_) return v;
    return nullptr;
}

void EditorWindow::detach() {
    view_ = nullptr;
    blink_.stop();
    autoScroll_.stop();
    selecting_ = false;
    viewport()->update();
}

void EditorWindow::coreChanged() {
    // Counting the lines walks the document: once for a burst of changes, never in a paint.
    if (!syncPending_) {
        syncPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (syncPending_) syncFromView();
            },
            Qt::QueuedConnection);
    }
    caretOn_ = hasFocus();
    viewport()->update();
}

void EditorWindow::applySettings() {
    QFont font = EditorFont(settings_);
    // Columns must line up: a font without fixed pitch gives way to the system's fixed one.
    if (!QFontInfo(font).fixedPitch()) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPixelSize(font.pixelSize());
        fixed.setWeight(font.weight());
        font = fixed;
    }
    font.setKerning(false);
    const QFontMetrics fm(font);
    lineHeight_ = std::max(1, fm.lineSpacing());
    ascent_ = fm.ascent();
    charWidth_ = std::max(1, fm.averageCharWidth());
    // Glyph advances may be fractional; the spacing makes each one exactly a column wide so
    // that a run drawn at once ends where the next column starts.
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QString(64, QChar('M'))) / 64;
    if (advance > 0 && std::abs(advance - charWidth_) > 0.001)
        font.setLetterSpacing(QFont::AbsoluteSpacing, charWidth_ - advance);
    font_ = font;
    if (liveView()) SetViewRows(*view_, FullRowsVisible(viewport()->height(), lineHeight_));
    updateScrollBars();
    viewport()->update();
}

int EditorWindow::marginWidth() const {
    // The brace-level display has no switch yet; the debugger's session shows the margin.
    return MarginWidth(DebugSessionRunning(), false);
}

QPoint EditorWindow::cellOrigin(int row, int column) const {
    return {marginWidth() + column * charWidth_, row * lineHeight_};
}

QSize EditorWindow::sizeHint() const {
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return {marginWidth() + 80 * charWidth_ + scrollBar, 25 * lineHeight_ + scrollBar};
}

int EditorWindow::topLineNumber() const {
    return topNumber_;
}

QRect EditorWindow::caretRect() const {
    if (!liveView() || !view_->document || !view_->cursor) return {};
    const Document& doc = *view_->document;
    if (view_->cursor == doc.head) return {};
    const std::vector<const Line*> lines =
        VisibleLines(doc, *view_, RowsToPaint(viewport()->height(), lineHeight_));
    const auto at = std::find(lines.begin(), lines.end(), view_->cursor);
    if (at == lines.end()) return {};
    const int column =
        DisplayColumn(view_->cursor, view_->cursorColumn, settings_.tabSize) - view_->leftColumn;
    if (column < 0) return {};
    const QPoint origin = cellOrigin(static_cast<int>(at - lines.begin()), column);
    if (origin.x() >= viewport()->width()) return {};
    return {origin, QSize(CaretWidth(*view_, charWidth_), lineHeight_)};
}

void EditorWindow::syncFromView() {
    syncPending_ = false;
    topNumber_ = 1;
    if (liveView() && view_->document) {
        const Document& doc = *view_->document;
        // Typing within lines leaves the count as it was: only a changed ring is walked.
        if (lineCount_ == 0 || countedVersion_ != doc.structureVersion) {
            lineCount_ = CountLines(doc);
            countedVersion_ = doc.structureVersion;
        }
        if (view_->top && view_->top != doc.head) topNumber_ = std::max(1, TopLineNumber(*view_));
    } else {
        lineCount_ = 0;
    }
    updateScrollBars();
}

void EditorWindow::updateScrollBars() {
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, lineCount_ - 1));
    v->setPageStep(std::max(1, FullRowsVisible(viewport()->height(), lineHeight_)));
    v->setSingleStep(std::max<int>(1, settings_.subScroll));
    v->setValue(topNumber_ - 1);
    QScrollBar* h = horizontalScrollBar();
    const int columns = std::max(1, (viewport()->width() - marginWidth()) / charWidth_);
    const int left = liveView() ? view_->leftColumn : 0;
    h->setRange(0, std::max({0, kRowTextMax - columns, left}));
    h->setPageStep(columns);
    h->setSingleStep(1);
    h->setValue(left);
    syncing_ = false;
}

void EditorWindow::moveTopTo(int number) {
    if (!liveView() || !view_->document || view_->document->Empty()) return;
    const Document& doc = *view_->document;
    number = std::clamp(number, 1, std::max(1, lineCount_));
    // Start from whichever known line is nearest: the top, the first or the last line.
    Line* line = doc.First();
    int at = 1;
    const int fromTop = std::abs(number - topNumber_);
    const bool topKnown = view_->top && view_->top != doc.head;
    if (topKnown && fromTop <= number - 1 && fromTop <= lineCount_ - number) {
        line = view_->top;
        at = topNumber_;
    } else if (lineCount_ - number < number - 1) {
        line = doc.Last();
        at = lineCount_;
    }
    while (at < number && line->next != doc.head) {
        line = line->next;
        ++at;
    }
    while (at > number && line->prev != doc.head) {
        line = line->prev;
        --at;
    }
    setTop(line, at);
}

void EditorWindow::setTop(Line* line, int number) {
    view_->top = line;
    topNumber_ = number;
    // The core keeps the top's number with the view; it stays right without a recount as
    // long as the ring is the one it was counted in.
    if (view_->document && view_->numberedVersion == view_->document->structureVersion) {
        view_->numberedTop = line;
        view_->topLineNumber = number;
    }
}

void EditorWindow::scrollContentsBy(int dx, int dy) {
    if (syncing_ || !liveView() || !view_->document) return;
    if (syncPending_) {
        // The scroll bar has moved already: only the numbers are brought up to date.
        const Document& doc = *view_->document;
        if (lineCount_ == 0 || countedVersion_ != doc.structureVersion) {
            lineCount_ = CountLines(doc);
            countedVersion_ = doc.structureVersion;
        }
        topNumber_ = view_->top && view_->top != doc.head ? TopLineNumber(*view_) : 1;
        topNumber_ = std::max(1, topNumber_);
        syncPending_ = false;
    }
    if (dy != 0) {
        const int before = topNumber_;
        moveTopTo(verticalScrollBar()->value() + 1);
        const int moved = before - topNumber_;
        // A short move shifts the pixels and paints only the rows it uncovers.
        if (std::abs(moved) < FullRowsVisible(viewport()->height(), lineHeight_))
            viewport()->scroll(0, moved * lineHeight_);
        else
            viewport()->update();
    }
    if (dx != 0) {
        view_->leftColumn = horizontalScrollBar()->value();
        viewport()->update();
    }
}

void EditorWindow::scrollByLines(int lines) {
    QScrollBar* v = verticalScrollBar();
    v->setValue(v->value() + lines);
}

void EditorWindow::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (delta.y() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheelRemainder_ += delta.y();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches != 0) scrollByLines(-notches * std::max<int>(1, settings_.subScroll));
    event->accept();
}

bool EditorWindow::cellAt(QPoint pos, Line** line, int* column) const {
    const Document& doc = *view_->document;
    const int lastRow = std::max(0, RowsToPaint(viewport()->height(), lineHeight_) - 1);
    const int row = std::clamp(pos.y() / lineHeight_, 0, lastRow);
    const std::vector<const Line*> lines = VisibleLines(doc, *view_, row + 1);
    if (lines.empty()) return false;
    // Below the last line: the last line.
    *line = const_cast<Line*>(lines.back());
    const int display =
        std::max(0, DisplayColumnAtX(pos.x(), marginWidth(), charWidth_, view_->leftColumn));
    *column = CharColumnAt(*line, display, settings_.tabSize);
    return true;
}

void EditorWindow::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !liveView() || !view_->document) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint pos = event->position().toPoint();
    Line* line = nullptr;
    int column = 0;
    if (!cellAt(pos, &line, &column)) return;
    selecting_ = true;
    lastDrag_ = pos;
    EditorMousePress(*view_, line, column);
    afterCoreAction();
}

void EditorWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton) || !liveView() || !view_->document) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint pos = event->position().toPoint();
    if (pos.y() < 0) {
        startAutoScroll(-1);
        return;
    }
    if (pos.y() >= viewport()->height()) {
        startAutoScroll(+1);
        return;
    }
    const bool returned = autoScroll_.isActive();
    autoScroll_.stop();
    // Small moves within one character cell are not worth a repaint.
    if (!returned && std::abs(pos.x() - lastDrag_.x()) < charWidth_ &&
        std::abs(pos.y() - lastDrag_.y()) < std::max(1, lineHeight_ / 2))
        return;
    Line* line = nullptr;
    int column = 0;
    if (!cellAt(pos, &line, &column)) return;
    lastDrag_ = pos;
    EditorMouseDrag(*view_, line, column);
    afterCoreAction();
}

void EditorWindow::startAutoScroll(int direction) {
    if (autoScroll_.isActive() && autoDirection_ == direction) return;
    autoDirection_ = direction;
    // One line at once, then one every tick while the pointer stays outside.
    EditorAutoScroll(*view_, direction);
    afterCoreAction();
    autoScroll_.start(kAutoScrollMs, this);
}

void EditorWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !selecting_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    endSelection();
}

void EditorWindow::endSelection() {
    autoScroll_.stop();
    if (!selecting_) return;
    selecting_ = false;
    if (!liveView()) return;
    EditorMouseRelease(*view_);
    afterCoreAction();
}

void EditorWindow::hideEvent(QHideEvent* event) {
    // A window that goes away while the button is held never sees the release.
    endSelection();
    QAbstractScrollArea::hideEvent(event);
}

bool EditorWindow::TypesCharacter(const QKeyEvent& event) {
    bool unrepresentable = false;
    return !TypedCharacters(event, &unrepresentable).empty() || unrepresentable;
}

bool EditorWindow::editorKey(const QKeyEvent& event) {
    if (!liveView()) return false;
    // The key belongs to the view of the window that has the focus.
    if (CurrentView() != view_) DocumentWindowActivated(view_);
    const VirtualKey k = VirtualKeyFromEvent(event);
    // A command may close this window on the way.
    const QPointer<EditorWindow> self(this);
    bool used = false;
    // "EDITFILEACC" is translated before any window sees the key.
    if (unsigned command = k.vk ? MatchFileAccelerator(k.vk, k.ctrl, k.shift, k.alt) : 0) {
        DispatchCommand(command);
        used = true;
    } else if (k.vk != 0) {
        used = EditorKeyDown(k.vk, k.shift, k.ctrl, k.alt, std::max(1, event.count()));
    }
    if (!used) {
        bool unrepresentable = false;
        for (const unsigned ch : TypedCharacters(event, &unrepresentable)) {
            if (!self || !liveView()) break;
            EditorChar(ch, k.ctrl, k.shift, 1);
            used = true;
        }
        // A character the document's 8-bit text cannot hold is refused audibly, not dropped.
        if (unrepresentable) {
            QApplication::beep();
            used = true;
        }
    }
    if (used && self) afterCoreAction();
    return used;
}

void EditorWindow::afterCoreAction() {
    if (!liveView()) return;
    ensureCursorVisible();
    // The caret shows at once where the cursor went, and stays on while keys come.
    caretOn_ = hasFocus();
    if (blink_.isActive()) blink_.start(QApplication::cursorFlashTime() / 2, this);
    coreChanged();
}

void EditorWindow::ensureCursorVisible() {
    if (!liveView() || !view_->document || !view_->cursor) return;
    Document& doc = *view_->document;
    if (view_->cursor == doc.head || !view_->top || view_->top == doc.head) return;
    const int rows = std::max(1, FullRowsVisible(viewport()->height(), lineHeight_));
    const int cursorNumber = CursorLineNumber(*view_);
    const int topNumber = TopLineNumber(*view_);
    if (cursorNumber < topNumber) {
        setTop(view_->cursor, cursorNumber);
    } else if (cursorNumber >= topNumber + rows) {
        // The cursor's row becomes the last one shown whole.
        Line* top = view_->cursor;
        int number = cursorNumber;
        while (number > cursorNumber - rows + 1 && top->prev != doc.head) {
            top = top->prev;
            --number;
        }
        setTop(top, number);
    }
    const int column = DisplayColumn(view_->cursor, view_->cursorColumn, settings_.tabSize);
    const int columns = std::max(1, (viewport()->width() - marginWidth()) / charWidth_);
    if (column < view_->leftColumn)
        view_->leftColumn = column;
    else if (column >= view_->leftColumn + columns)
        view_->leftColumn = column - columns + 1;
    topNumber_ = TopLineNumber(*view_);
    updateScrollBars();
}

void EditorWindow::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    caretOn_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) blink_.start(flash / 2, this);
    updateCaret();
}

void EditorWindow::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    // A dialog or another window took over while selecting: the button's release goes there.
    if (event->reason() != Qt::PopupFocusReason) endSelection();
    blink_.stop();
    caretOn_ = false;
    updateCaret();
}

void EditorWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == autoScroll_.timerId()) {
        if (!selecting_ || !liveView()) {
            autoScroll_.stop();
            return;
        }
        EditorAutoScroll(*view_, autoDirection_);
        afterCoreAction();
        return;
    }
    if (event->timerId() != blink_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    caretOn_ = !caretOn_;
    updateCaret();
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

bool EditorWindow::focusNextPrevChild(bool) {
    return false;
}

void EditorWindow::updateCaret() {
    if (!caretShown_.isEmpty()) viewport()->update(caretShown_);
    const QRect now = caretRect();
    if (!now.isEmpty()) viewport()->update(now);
}

void EditorWindow::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // The core pages and recenters by the rows shown whole.
    if (liveView()) SetViewRows(*view_, FullRowsVisible(viewport()->height(), lineHeight_));
    updateScrollBars();
}

void EditorWindow::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const PaintColours colours = PaintColoursFrom(settings_);
    const QColor background = ColorFromColorRef(colours.background);
    const QRect area = event->rect();
    const int width = viewport()->width();
    const int margin = marginWidth();
    p.fillRect(area, background);
    if (margin > 0) {
        p.fillRect(QRect(0, area.top(), margin, area.height()), background.darker(108));
        p.fillRect(QRect(margin - 1, area.top(), 1, area.height()), background.darker(125));
    }
    caretShown_ = QRect();
    if (!liveView() || !view_->document) return;

    PaintOptions options;
    options.tabSize = settings_.tabSize;
    options.columns = ColumnsToPaint(width, margin, charWidth_);
    options.debugging = DebugSessionRunning();
    const std::vector<PaintedRow> rows = PaintView(
        *view_->document, *view_, RowsToPaint(viewport()->height(), lineHeight_), options);

    p.setFont(font_);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const PaintedRow& row = rows[r];
        const int y = static_cast<int>(r) * lineHeight_;
        const QRect rowRect(0, y, width, lineHeight_);
        if (!rowRect.intersects(area)) continue;
        for (const PaintRun& run : row.runs) {
            p.setPen(ColorFromColorRef(ColourRefOf(run.colour, colours)));
            bool ascii = true;
            const QString text = DisplayText(run.text, &ascii);
            const QPoint at = cellOrigin(static_cast<int>(r), run.column);
            if (ascii) {
                p.drawText(at.x(), y + ascent_, text);
            } else {
                // Glyphs from a fallback font have widths of their own: one column each.
                for (qsizetype i = 0; i < text.size(); ++i)
                    p.drawText(at.x() + static_cast<int>(i) * charWidth_, y + ascent_,
                               QString(text[i]));
            }
        }
        if (row.cutOff) {
            const QPoint at = cellOrigin(static_cast<int>(r), row.cutMarkColumn);
            const QRect mark(at, QSize(kCutMarkColumns * charWidth_, lineHeight_));
            p.fillRect(mark, background);
            const qreal cx = mark.left() + mark.width() / 2.0;
            const qreal cy = mark.top() + mark.height() / 2.0;
            const qreal half = std::max(2.0, lineHeight_ / 5.0);
            const QPointF tip[] = {
                {cx - half / 2, cy - half}, {cx + half, cy}, {cx - half / 2, cy + half}};
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(ColorFromColorRef(kInactiveColor));
            p.drawPolygon(tip, 3);
            p.setRenderHint(QPainter::Antialiasing, false);
        }
        if (row.blockStart >= 0 && row.blockEnd > row.blockStart) {
            const QPoint from = cellOrigin(static_cast<int>(r), row.blockStart);
            XorRect(p,
                    QRect(from, QSize((row.blockEnd - row.blockStart) * charWidth_, lineHeight_)),
                    Qt::white);
        }
        for (const MarginMark& mark : row.marks) {
            if (mark.invertRow)
                XorRect(p, QRect(margin, y, width - margin, lineHeight_),
                        ColorFromColorRef(*mark.invertRow));
            if (mark.bitmap) {
                const QPixmap& pm = std::string_view(mark.bitmap) == kDebuggerLineBitmap
                                        ? DebuggerLineBitmap()
                                        : BreakpointBitmap();
                p.drawPixmap((std::max(margin, pm.width()) - pm.width()) / 2,
                             y + (lineHeight_ - pm.height()) / 2, pm);
            }
        }
    }

    if (caretOn_ && hasFocus()) {
        const QRect caret = caretRect();
        if (!caret.isEmpty()) {
            XorRect(p, caret, Qt::white);
            caretShown_ = caret;
        }
    }
}

// ---- The sub-window

DocumentSubWindow::DocumentSubWindow(EditorWindow* editor, QWidget* parent)
    : QMdiSubWindow(parent), editor_(editor) {
    setObjectName("clMDIDocument");
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(editor);
    setFocusProxy(editor);
}

void DocumentSubWindow::closeFromCore() {
    closingFromCore_ = true;
    editor_->detach();
    close();
}

void DocumentSubWindow::closeEvent(QCloseEvent* event) {
    // The core asks about unsaved changes; when it agrees it has released the view.
    if (!closingFromCore_ && editor_->view() && !DocumentWindowCloseRequested(editor_->view())) {
        event->ignore();
        return;
    }
    editor_->detach();
    QMdiSubWindow::closeEvent(event);
}

EditorWindow* EditorOf(QMdiSubWindow* window) {
    auto* doc = qobject_cast<DocumentSubWindow*>(window);
    return doc ? doc->editor() : nullptr;
}

}  // namespace velt::gui
