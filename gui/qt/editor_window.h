// The editor window ("clMDIDocument"): draws one EditView with the rows the core's painter
// computes (runs in their colours, the block, the cut-off mark, the margin marks), keeps the
// scroll bars over the document's lines and shows the caret. Keys (handed over by the
// frame's key filter) and mouse selection are forwarded to the core, which does the editing;
// afterwards the window scrolls so that the cursor stays in sight.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPoint>
#include <cstdint>

class QKeyEvent;

namespace velt {
struct EditView;
struct GlobalSettings;
struct Line;
}  // namespace velt

namespace velt::gui {

class EditorWindow : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // `settings` (colours, font, tab size, scroll step) must outlive the window.
    EditorWindow(EditView* view, const GlobalSettings& settings, QWidget* parent = nullptr);

    EditView* view() const { return view_; }
    // The core has let go of the view: nothing is drawn from it any more.
    void detach();
    // The text, the cursor or the view's top changed (the core's repaint request).
    void coreChanged();
    // The font or the colours of the settings changed.
    void applySettings();

    // Metrics of the editor font: pixels per row and per display column.
    int lineHeight() const { return lineHeight_; }
    int charWidth() const { return charWidth_; }
    int marginWidth() const;
    const QFont& editorFont() const { return font_; }
    // Top-left pixel of display column `column` (counted from the first one shown) of `row`.
    QPoint cellOrigin(int row, int column) const;
    // Where the caret is drawn, in viewport pixels; empty while the cursor is not in sight.
    QRect caretRect() const;
    // 1-based number of the view's top line as the vertical scroll bar shows it.
    int topLineNumber() const;
    // Moves the window by `lines` (down when positive) through the scroll bar, as a wheel
    // step or a scroll-bar arrow does.
    void scrollByLines(int lines);

    // A key pressed while the window has the focus (the frame's key filter hands it over):
    // an "EDITFILEACC" row, else the core's key handler, then the typed character. True when
    // one of them used it.
    bool editorKey(const QKeyEvent& event);
    // Whether the key types a character into the document when the key handler leaves it.
    static bool TypesCharacter(const QKeyEvent& event);
    // Scrolls the window, when needed, so that the cursor's row and column are shown.
    void ensureCursorVisible();
    // Whether a mouse selection is scrolling the window (the pointer held above or below it).
    bool autoScrolling() const { return autoScroll_.isActive(); }

    // 80 columns by 25 rows.
    QSize sizeHint() const override;

    // The margin bitmaps, made once.
    static const QPixmap& BreakpointBitmap();
    static const QPixmap& DebuggerLineBitmap();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // Keys are the frame's and the editor's commands: no scrolling of the area's own, and
    // Tab stays in the window.
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // The view while the core still has it; null once it is gone.
    EditView* liveView() const;
    void syncFromView();
    void updateScrollBars();
    void moveTopTo(int number);
    void updateCaret();
    // The line and character column under viewport point `pos` (above the window: the top
    // row, below the text: its last line). False for an empty document.
    bool cellAt(QPoint pos, Line** line, int* column) const;
    // After the core acted on a key or the mouse: cursor in sight, caret shown, repainted.
    void afterCoreAction();
    void startAutoScroll(int direction);
    // Ends a mouse selection (release, focus lost, window hidden).
    void endSelection();
    // Makes `line`, number `number`, the view's top without walking the document.
    void setTop(Line* line, int number);

    EditView* view_;
    const GlobalSettings& settings_;
    QFont font_;
    int lineHeight_ = 16;
    int charWidth_ = 8;
    int ascent_ = 12;
    // The view's top line as a number and the document's length, so that scrolling walks
    // only as far as it moves; recounted when the core reports a change.
    int topNumber_ = 1;
    int lineCount_ = 0;
    bool syncPending_ = false;
    bool syncing_ = false;  // the scroll bars follow the view: no walking
    int wheelRemainder_ = 0;
    QBasicTimer blink_;
    bool caretOn_ = false;
    QRect caretShown_;
    // Mouse selection: the button is held; where the cursor was last moved to; the autoscroll
    // timer and its direction (-1 up, +1 down).
    bool selecting_ = false;
    QPoint lastDrag_;
    QBasicTimer autoScroll_;
    int autoDirection_ = 0;
    // The document's structure version when its lines were last counted.
    std::uint32_t countedVersion_ = 0;
};

// The sub-window holding an editor window: closing it asks the core first.
class DocumentSubWindow : public QMdiSubWindow {
    Q_OBJECT
  public:
    explicit DocumentSubWindow(EditorWindow* editor, QWidget* parent = nullptr);
    EditorWindow* editor() const { return editor_; }
    // The core closes the window: no question, and the view is no longer drawn.
    void closeFromCore();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    EditorWindow* editor_;
    bool closingFromCore_ = false;
};

// The editor window of an MDI sub-window, or null for any other window.
EditorWindow* EditorOf(QMdiSubWindow* window);

}  // namespace velt::gui
