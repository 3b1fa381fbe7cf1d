// Editing in the editor window with Qt's own key and mouse events: typing, Backspace, Enter
// with auto-indent, the cursor kept in sight, blocks marked with Shift and the arrows, cut,
// paste and undo through the system clipboard, selection by dragging with the scrolling
// while the pointer is held below the window, and the clipboard exchange when the program
// is activated or left.
#include <QClipboard>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "editor/block.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "editor_harness.h"
#include "editor_window.h"
#include "frame_menus.h"
#include "main_window.h"
#include "platform/profile_store.h"
#include "qt_ui.h"
#include "shell/menu_model.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

using velt::gui::EditorWindow;

namespace {

const char kSource[] =
    "int main(void) {\r\n"
    "\tint total = 0;\r\n"
    "\treturn total;\r\n"
    "}\r\n";

std::string Text(const velt::Document& doc, int line) {
    const velt::Line* l = velt::LineAt(doc, line);
    return l ? velt::LineString(l) : std::string("<none>");
}

}  // namespace

class EditingTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

  private slots:
    void init() {
        StartEditor([](velt::GlobalSettings& s) { s.editorFlags |= velt::kEditorAutoIndent; });
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() { StopEditor(); }

    void typingBackspaceEnterAndTheCursorInSight() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e && e->hasFocus());
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;

        QTest::keyClick(e, Qt::Key_Down);
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, "abc");
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;abc"));
        QVERIFY(doc.flags & velt::kDocModified);
        QVERIFY(TitleOf(view).contains('*'));
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;ab"));
        // Enter: the new line takes the tab of the line above, and typing goes on after it.
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;ab"));
        QCOMPARE(Text(doc, 3), std::string("\t"));
        QCOMPARE(view->cursor, velt::LineAt(doc, 3));
        QCOMPARE(int(view->cursorColumn), 1);
        // A Latin-1 letter is its byte; Ctrl+Q (no macro, no row) and Alt+letters type nothing.
        QTest::keyClick(e, Qt::Key_X);
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key_Eacute, QString(QChar(0xE9)), {});
        QTest::keyClick(e, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(Text(doc, 3), std::string("\tx\xE9"));
        // Alt+F, which no table has, still opens the menu from the editor window.
        QApplication::setActiveWindow(frame.get());
        QTest::keyClick(e, Qt::Key_F, Qt::AltModifier);
        QMenu* file = frame->menus()->menu(velt::kFileMenu);
        QTRY_VERIFY(file->isVisible());
        file->hide();
        QCOMPARE(Text(doc, 3), std::string("\tx\xE9"));
        e->setFocus();
        // Ctrl+Right is one command: the cursor moves one word, not two.
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Up);
        QTest::keyClick(e, Qt::Key_Up);
        QCOMPARE(view->cursor, velt::LineAt(doc, 1));
        QTest::keyClick(e, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(int(view->cursorColumn), 4);  // "main"

        // Insert switches to overwrite mode: the caret becomes a whole character wide.
        QTest::keyClick(e, Qt::Key_Insert);
        QVERIFY(velt::OverwriteMode(*view));
        QCOMPARE(e->caretRect().width(), e->charWidth());
        QTest::keyClick(e, Qt::Key_Insert);
        QVERIFY(!velt::OverwriteMode(*view));
        QCOMPARE(e->caretRect().width(), std::max(1, e->charWidth() / 3));

        // Typing past the right edge scrolls the columns along; Home brings the start back.
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, QString(200, 'w'));
        QVERIFY(view->leftColumn > 0);
        QVERIFY(!e->caretRect().isEmpty());
        QCOMPARE(e->horizontalScrollBar()->value(), view->leftColumn);
        QTest::keyClick(e, Qt::Key_Home);
        QCOMPARE(view->leftColumn, 0);

        // Enter far past the window's last row: the window follows the cursor.
        QTest::keyClick(e, Qt::Key_End, Qt::ControlModifier);
        const int rows = velt::FullRowsVisible(e->viewport()->height(), e->lineHeight());
        QVERIFY(rows > 5);
        for (int i = 0; i < rows + 10; ++i) QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::processEvents();
        const int cursorLine = velt::CursorLineNumber(*view);
        const int top = velt::TopLineNumber(*view);
        QVERIFY2(
            cursorLine >= top && cursorLine < top + rows,
            qPrintable(QString("cursor %1, top %2, rows %3").arg(cursorLine).arg(top).arg(rows)));
        QCOMPARE(e->topLineNumber(), top);
        QVERIFY(!e->caretRect().isEmpty());
        QCOMPARE(velt::CheckDocument(doc), std::string());
    }

    void shiftArrowsCutPasteAndUndo() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;
        QTest::keyClick(e, Qt::Key_Down);
        for (int i = 0; i < 3; ++i) QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view->block, velt::LineAt(doc, 2));
        QCOMPARE(int(view->blockColumn), 0);
        QCOMPARE(view->cursor, velt::LineAt(doc, 2));
        QCOMPARE(int(view->cursorColumn), 3);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(Text(doc, 2), std::string("t total = 0;"));
        QCOMPARE(QApplication::clipboard()->text(), QString("\tin"));
        QVERIFY(!view->block);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;"));

        // Two lines: the clipboard holds them with CR LF between.
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view->block, velt::LineAt(doc, 2));
        QCOMPARE(view->cursor, velt::LineAt(doc, 3));
        QCOMPARE(int(view->cursorColumn), 2);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("\tint total = 0;\r\n\tr"));
        QCOMPARE(Text(doc, 2), std::string("eturn total;"));
        QCOMPARE(velt::CountLines(doc), 3);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;"));
        QCOMPARE(Text(doc, 3), std::string("\treturn total;"));
        QCOMPARE(velt::CountLines(doc), 4);

        // Alt+Backspace takes back one event at a time: the paste, then the cut.
        QTest::keyClick(e, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(Text(doc, 2), std::string("eturn total;"));
        QCOMPARE(velt::CountLines(doc), 3);
        QTest::keyClick(e, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(Text(doc, 2), std::string("\tint total = 0;"));
        QCOMPARE(Text(doc, 3), std::string("\treturn total;"));
        QCOMPARE(velt::CheckDocument(doc), std::string());
    }

    void draggingMarksABlockAndScrollsBelowTheWindow() {
        std::string text;
        for (int i = 1; i <= 300; ++i) text += "line " + std::to_string(i) + " of the list\r\n";
        EditorWindow* e = Open("list.txt", text);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;
        QWidget* area = e->viewport();

        QTest::mousePress(area, Qt::LeftButton, {}, Cell(e, 2, 1));
        QTest::mouseMove(area, Cell(e, 4, 7));
        QCOMPARE(view->block, velt::LineAt(doc, 3));
        QCOMPARE(int(view->blockColumn), 1);
        QCOMPARE(view->cursor, velt::LineAt(doc, 5));
        QCOMPARE(int(view->cursorColumn), 7);
        QTest::mouseRelease(area, Qt::LeftButton, {}, Cell(e, 4, 7));
        QCOMPARE(view->block, velt::LineAt(doc, 3));  // a block with extent stays marked
        // A click without a move leaves no block.
        QTest::mouseClick(area, Qt::LeftButton, {}, Cell(e, 6, 2));
        QVERIFY(!view->block);

        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) {
            QTest::mousePress(area, Qt::LeftButton, {}, Cell(e, 1, 5));
            QTest::mouseMove(area, Cell(e, 3, 12));
            QTest::mouseRelease(area, Qt::LeftButton, {}, Cell(e, 3, 12));
            QVERIFY(view->block);
            QCoreApplication::processEvents();
            QVERIFY(frame->grab().save(dir + "/editing.png"));
        }

        // Held below the window the view scrolls at once and then every 25 ms, the cursor
        // on the last row; back inside, and after the release, it stops.
        const int rows = velt::FullRowsVisible(area->height(), e->lineHeight());
        QTest::mousePress(area, Qt::LeftButton, {}, Cell(e, 5, 3));
        QTest::mouseMove(area, QPoint(Cell(e, 0, 3).x(), area->height() + 10));
        QCOMPARE(velt::TopLineNumber(*view), 2);
        QVERIFY(e->autoScrolling());
        QTest::qWait(100);
        const int scrolled = velt::TopLineNumber(*view);
        QVERIFY2(scrolled >= 3, qPrintable(QString("top line %1").arg(scrolled)));
        const int cursorLine = velt::CursorLineNumber(*view);
        QVERIFY(cursorLine >= scrolled && cursorLine < scrolled + rows + 1);
        QCOMPARE(view->block, velt::LineAt(doc, 6));
        QCOMPARE(e->topLineNumber(), scrolled);
        QTest::mouseMove(area, Cell(e, 4, 3));
        QVERIFY(!e->autoScrolling());
        const int inside = velt::TopLineNumber(*view);
        QTest::qWait(60);
        QCOMPARE(velt::TopLineNumber(*view), inside);
        QTest::mouseMove(area, QPoint(Cell(e, 0, 3).x(), area->height() + 10));
        QTest::mouseRelease(area, Qt::LeftButton, {},
                            QPoint(Cell(e, 0, 3).x(), area->height() + 10));
        QVERIFY(!e->autoScrolling());
        const int released = velt::TopLineNumber(*view);
        QTest::qWait(60);
        QCOMPARE(velt::TopLineNumber(*view), released);
        QCOMPARE(velt::CheckDocument(doc), std::string());
    }

    void clipboardFollowsActivation() {
        QVERIFY(Open("count.c", kSource));
        QClipboard* clipboard = QApplication::clipboard();
        // Leaving writes the block buffer (an empty one writes nothing).
        clipboard->setText("untouched");
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(clipboard->text(), QString("untouched"));
        // Coming back reads the clipboard into the buffer, CR dropped.
        clipboard->setText("from\r\nelsewhere");
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(velt::BlockBufferText(), std::string("from\nelsewhere"));
        velt::ResetBlockBuffer();
        QVERIFY(velt::AppendBlockBuffer("one\ntwo", 7));
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(clipboard->text(), QString("one\r\ntwo"));
        // Hidden after inactive is no second leave.
        clipboard->setText("later");
        emit qApp->applicationStateChanged(Qt::ApplicationHidden);
        QCOMPARE(clipboard->text(), QString("later"));
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(velt::BlockBufferText(), std::string("later"));
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"
