// The editor window: a C file opened through the core shows its keywords, comments and strings
// in their colours at the columns the core computes; the caret, mouse placement, scrolling by
// the scroll step, painting deep in a large document, closing through the core, and a
// language added on the "Language" page colouring a document.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "config_dialog.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "editor_harness.h"
#include "editor_window.h"
#include "main_window.h"
#include "platform/profile_store.h"
#include "qt_ui.h"
#include "shell/commands.h"
#include "shell/config_dialog.h"
#include "shell/dispatch.h"
#include "shell/exit_questions.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

using velt::gui::EditorWindow;

namespace {

// Colours of the test's settings (0x00BBGGRR): blue keywords, green comments, dark text.
constexpr std::uint32_t kKeyword = 0xB00000;
constexpr std::uint32_t kComment = 0x1F8A1F;
constexpr std::uint32_t kText = 0x202020;
constexpr std::uint32_t kBackground = 0xFFFFFF;

QColor Colour(std::uint32_t ref) {
    return velt::gui::ColorFromColorRef(ref);
}

// A C file with a comment over two lines, a directive, keywords after a tab, a keyword inside
// a string and a comment far to the right.
const char kSource[] =
    "/* Counts to ten\r\n"
    "   and prints the sum. */\r\n"
    "#include <stdio.h>\r\n"
    "\r\n"
    "int main(void) {\r\n"
    "\tint total = 0;\r\n"
    "\tfor (int i = 0; i < 10; ++i) total += i;          /* add up */\r\n"
    "\tprintf(\"for int: %d\\n\", total);\r\n"
    "\treturn 0;\r\n"
    "}\r\n";

// Whether the ink of the cells is `target`: the pixel farthest from the background must be
// the target colour laid over the background with nearly full coverage (anti-aliased edges
// are partial blends of the same colour).
bool Inked(const QImage& image, const QRect& cells, const QColor& target, const QColor& bg) {
    QColor far = bg;
    int farthest = -1;
    for (int y = cells.top(); y <= cells.bottom(); ++y)
        for (int x = cells.left(); x <= cells.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const int d = std::abs(p.red() - bg.red()) + std::abs(p.green() - bg.green()) +
                          std::abs(p.blue() - bg.blue());
            if (d > farthest) {
                farthest = d;
                far = p;
            }
        }
    const int dr = target.red() - bg.red();
    const int dg = target.green() - bg.green();
    const int db = target.blue() - bg.blue();
    const int span = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    if (span == 0 || farthest <= 0) return false;
    double a = 0;
    if (span == std::abs(dr))
        a = double(far.red() - bg.red()) / dr;
    else if (span == std::abs(dg))
        a = double(far.green() - bg.green()) / dg;
    else
        a = double(far.blue() - bg.blue()) / db;
    if (a < 0.7 || a > 1.1) return false;
    auto fits = [a](int b, int d, int p) { return std::abs(b + a * d - p) <= 28; };
    return fits(bg.red(), dr, far.red()) && fits(bg.green(), dg, far.green()) &&
           fits(bg.blue(), db, far.blue());
}

bool Blank(const QImage& image, const QRect& cells, const QColor& bg) {
    for (int y = cells.top(); y <= cells.bottom(); ++y)
        for (int x = cells.left(); x <= cells.right(); ++x)
            if (image.pixelColor(x, y) != bg) return false;
    return true;
}

}  // namespace

class EditorTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

    EditorWindow* Current() { return ui->editorWindow(velt::CurrentView()); }
    QRect Cells(EditorWindow* e, int row, int column, int count) {
        return {e->cellOrigin(row, column), QSize(count * e->charWidth(), e->lineHeight())};
    }
    QPoint CellCentre(EditorWindow* e, int row, int column) {
        return Cells(e, row, column, 1).center();
    }
    static QImage Shot(EditorWindow* e) {
        return e->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The core's deferred requests (recounting the lines) have run.
    static void Settle() { QCoreApplication::processEvents(); }

    EditorWindow* OpenSource() {
        const std::string name = t->Write("Count.c", kSource);
        if (!velt::OpenFile(name)) return nullptr;
        ui->documentWindow(velt::CurrentView())->showMaximized();
        Settle();
        return Current();
    }

    // Answers the next message box with `button` once it shows.
    static void AnswerBox(QMessageBox::StandardButton button, QString* text) {
        QTimer::singleShot(0, [button, text] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            *text = box->text();
            box->button(button)->click();
        });
    }

  private slots:
    void init() {
        StartEditor([](velt::GlobalSettings& s) {
            s.keywordColor = kKeyword;
            s.commentColor = kComment;
            s.textColor = kText;
            s.backgroundColor = kBackground;
            s.subScroll = 4;
        });
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() {
        velt::SetDebugSessionRunning(false);
        StopEditor();
    }

    void opensACFileInItsColours() {
        EditorWindow* e = OpenSource();
        QVERIFY(e);
        QMdiSubWindow* window = ui->documentWindow(velt::CurrentView());
        QCOMPARE(window->objectName(), QString("clMDIDocument"));
        QCOMPARE(window->windowTitle(), QString("count.c"));
        QCOMPARE(frame->mdiArea()->currentSubWindow(), window);
        QVERIFY(e->hasFocus());
        // A second file follows the first one's maximised state.
        QVERIFY(velt::OpenFile(t->Write("other.h", "int x;\r\n")));
        QVERIFY(ui->documentWindow(velt::CurrentView())->isMaximized());
        QVERIFY(velt::OpenFile(*t / "Count.c"));  // activates the window it has
        QCOMPARE(frame->mdiArea()->currentSubWindow(), window);
        Settle();

        const QImage shot = Shot(e);
        const QColor bg = Colour(kBackground);
        const QColor keyword = Colour(kKeyword), comment = Colour(kComment), text = Colour(kText);
        // The comment over two lines, in the comment colour on both.
        QVERIFY(Inked(shot, Cells(e, 0, 3, 6), comment, bg));
        QVERIFY(Inked(shot, Cells(e, 1, 3, 3), comment, bg));
        // "#include" in the keyword colour, the file name plainly.
        QVERIFY(Inked(shot, Cells(e, 2, 0, 8), keyword, bg));
        QVERIFY(Inked(shot, Cells(e, 2, 10, 5), text, bg));
        QVERIFY(Inked(shot, Cells(e, 4, 0, 3), keyword, bg));  // int
        QVERIFY(Inked(shot, Cells(e, 4, 4, 4), text, bg));     // main
        // The tab expands to four columns: they stay empty and "int" follows.
        QVERIFY(Blank(shot, Cells(e, 5, 0, 4), bg));
        QVERIFY(Inked(shot, Cells(e, 5, 4, 3), keyword, bg));
        QVERIFY(Inked(shot, Cells(e, 5, 8, 5), text, bg));
        // Far right on the line the columns still line up: the comment at column 54.
        QVERIFY(Inked(shot, Cells(e, 6, 54, 10), comment, bg));
        QVERIFY(Inked(shot, Cells(e, 6, 4, 3), keyword, bg));  // for
        // Words inside a string are not keywords.
        QVERIFY(Inked(shot, Cells(e, 7, 12, 3), text, bg));
        QVERIFY(Inked(shot, Cells(e, 8, 4, 6), keyword, bg));  // return

        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) {
            // A window with its title, "total += i;" marked, the caret after it.
            window->showNormal();
            window->setGeometry(frame->mdiArea()->viewport()->rect());
            velt::EditView* view = velt::CurrentView();
            view->block = velt::LineAt(*view->document, 7);
            view->blockColumn = 30;
            view->cursor = view->block;
            view->cursorColumn = 41;
            velt::UpdatePositionText();
            ui->RepaintDocumentWindow(view);
            e->setFocus();
            Settle();
            QVERIFY(frame->grab().save(dir + "/editor.png"));
            view->block = nullptr;
            window->showMaximized();
        }

        // Scrolled right by four columns the tab line's "int" starts the row.
        e->horizontalScrollBar()->setValue(4);
        QCOMPARE(velt::CurrentView()->leftColumn, 4);
        const QImage right = Shot(e);
        QVERIFY(Inked(right, Cells(e, 5, 0, 3), keyword, bg));
        QVERIFY(Inked(right, Cells(e, 4, 0, 4), text, bg));  // "main"
    }

    void caretAndMousePlaceTheCursor() {
        EditorWindow* e = OpenSource();
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;

        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 4, 5));
        QCOMPARE(view->cursor, velt::LineAt(doc, 5));
        QCOMPARE(int(view->cursorColumn), 5);
        QCOMPARE(QString::fromStdString(velt::FrameStatusPane().PositionText()), QString("5:6"));
        // Inside the tab's columns the cursor goes to the tab itself; past the text to its end.
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 5, 2));
        QCOMPARE(view->cursor, velt::LineAt(doc, 6));
        QCOMPARE(int(view->cursorColumn), 0);
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 8, 30));
        QCOMPARE(int(view->cursorColumn), 10);  // "\treturn 0;"
        // Below the last line: the last line.
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 25, 0));
        QCOMPARE(view->cursor, velt::LineAt(doc, 10));

        // The caret: a third of a character in insert mode, after the tab's four columns.
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 5, 4));
        QCOMPARE(int(view->cursorColumn), 1);
        QVERIFY(e->hasFocus());
        QCOMPARE(e->caretRect(), QRect(e->cellOrigin(5, 4),
                                       QSize(std::max(1, e->charWidth() / 3), e->lineHeight())));
        // Shown at once after the click, inverting what is under it.
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, CellCentre(e, 3, 10));
        const QRect caret = e->caretRect();
        QCOMPARE(caret.topLeft(), e->cellOrigin(3, 0));
        QCOMPARE(Shot(e).pixelColor(caret.center()), QColor(Qt::black));
        // Tab is the editor's key, not a way out of the window.
        QTest::keyClick(e, Qt::Key_Tab);
        QVERIFY(e->hasFocus());
        // Overwrite mode: a whole character.
        view->flags |= velt::kViewOverwrite;
        ui->RepaintDocumentWindow(view);
        QCOMPARE(e->caretRect().width(), e->charWidth());
    }

    void marginMarksWhileDebugging() {
        EditorWindow* e = OpenSource();
        QVERIFY(e);
        velt::Document& doc = *velt::CurrentView()->document;
        velt::LineAt(doc, 2)->flags |= velt::kLineMarked;
        velt::LineAt(doc, 6)->flags |= velt::kLineBreakpoint;
        velt::LineAt(doc, 7)->flags |= velt::kLineDebuggerCurrent;
        const QColor bg = Colour(kBackground);

        // Outside a session there is no margin; a marked line is inverted with 0xFFFF80.
        QCOMPARE(e->marginWidth(), 0);
        QImage shot = Shot(e);
        QCOMPARE(shot.pixelColor(Cells(e, 1, 30, 1).center()), QColor(0x7F, 0x00, 0x00));
        QVERIFY(Inked(shot, Cells(e, 4, 0, 3), Colour(kKeyword), bg));

        velt::SetDebugSessionRunning(true);
        ui->RepaintDocumentWindow(velt::CurrentView());
        shot = Shot(e);
        QCOMPARE(e->cellOrigin(0, 0).x(), velt::kMarginPixels);
        QVERIFY(Inked(shot, Cells(e, 4, 0, 3), Colour(kKeyword), bg));
        // The "bkpt" disc on the marked line and the breakpoint line, not elsewhere.
        auto centreOfMark = [e](int row) {
            return QPoint(velt::kMarginPixels / 2, row * e->lineHeight() + e->lineHeight() / 2);
        };
        const QColor disc = shot.pixelColor(centreOfMark(5));
        QVERIFY(disc.red() > 180 && disc.green() < 80 && disc.blue() < 80);
        QCOMPARE(shot.pixelColor(centreOfMark(1)), disc);
        QVERIFY(shot.pixelColor(centreOfMark(3)) != disc);
        // The debugger's line: the "DbgCur" arrow, the row inverted with 0x800000.
        const QColor arrow = shot.pixelColor(centreOfMark(6));
        QVERIFY(arrow.red() > 200 && arrow.green() > 180 && arrow.blue() < 100);
        QCOMPARE(shot.pixelColor(Cells(e, 6, 70, 1).center()), QColor(0xFF, 0xFF, 0x7F));
        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) QVERIFY(shot.save(dir + "/editor-debug.png"));
    }

    void scrollsByTheStepAndPaintsDeepInConstantTime() {
        // A million lines, made in memory.
        velt::Document* doc = velt::NewDocument(*t / "big.c");
        constexpr int kLines = 1000000;
        for (int i = 1; i <= kLines; ++i) {
            const std::string s = "int value" + std::to_string(i) + " = " + std::to_string(i) +
                                  ";\t/* line " + std::to_string(i) + " */";
            velt::AppendLine(*doc, velt::NewLine(s.data(), static_cast<int>(s.size())));
        }
        velt::ChooseDocumentLanguage(*doc);
        velt::EditView* view = velt::NewView(doc, 0);
        QVERIFY(ui->OpenDocumentWindow(view, "big.c", false));
        EditorWindow* e = ui->editorWindow(view);
        QVERIFY(e);
        QCOMPARE(velt::CurrentView(), view);  // the activation reached the core
        ui->documentWindow(view)->showMaximized();
        Settle();
        QCOMPARE(e->verticalScrollBar()->maximum(), kLines - 1);

        // A wheel notch and a scroll-bar arrow move by the scroll step (4 lines).
        const QPoint middle = e->viewport()->rect().center();
        QWheelEvent down(middle, e->viewport()->mapToGlobal(middle), {}, {0, -120}, Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(e->viewport(), &down);
        QCOMPARE(e->topLineNumber(), 5);
        QCOMPARE(view->top, velt::LineAt(*doc, 5));
        e->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(view->top, velt::LineAt(*doc, 9));
        QWheelEvent up(middle, e->viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(e->viewport(), &up);
        QCOMPARE(view->top, velt::LineAt(*doc, 5));
        // A page moves by the rows the window shows whole.
        const int rows = velt::FullRowsVisible(e->viewport()->height(), e->lineHeight());
        e->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(view->top, velt::LineAt(*doc, 5 + rows));

        // The same window painted near the top and near line 900,000.
        auto timePaint = [e] {
            qint64 best = -1;
            for (int k = 0; k < 5; ++k) {
                QElapsedTimer clock;
                clock.start();
                e->viewport()->repaint();
                const qint64 ns = clock.nsecsElapsed();
                if (best < 0 || ns < best) best = ns;
            }
            return best;
        };
        e->verticalScrollBar()->setValue(9);
        e->viewport()->repaint();  // the comment ranges are built once, here
        const qint64 nearTop = timePaint();
        e->verticalScrollBar()->setValue(899999);
        QCOMPARE(e->topLineNumber(), 900000);
        QCOMPARE(velt::LineString(view->top),
                 std::string("int value900000 = 900000;\t/* line 900000 */"));
        const qint64 deep = timePaint();
        QVERIFY2(
            deep < 3 * nearTop && nearTop < 3 * deep,
            qPrintable(QString("%1 ns at line 10, %2 ns at line 900,000").arg(nearTop).arg(deep)));
        // And it shows what is there, in colour.
        const QImage shot = Shot(e);
        QVERIFY(Inked(shot, Cells(e, 0, 0, 3), Colour(kKeyword), Colour(kBackground)));
        QVERIFY(Inked(shot, Cells(e, 0, 28, 6), Colour(kComment), Colour(kBackground)));
        // The end of the document is reached from the end, and the wheel stops there.
        e->verticalScrollBar()->setValue(kLines - 1);
        QCOMPARE(view->top, doc->Last());
        QApplication::sendEvent(e->viewport(), &down);
        QCOMPARE(view->top, doc->Last());
    }

    void fileOpenGoesThroughTheChooser() {
        const std::string name = t->Write("Count.c", kSource);
        QString caption;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QCOMPARE(chooser->objectName(), QString("fileChooser"));
            caption = chooser->windowTitle();
            chooser->selectFile(QString::fromStdString(name));
            static_cast<QDialog*>(chooser)->accept();
        });
        velt::DispatchCommand(velt::kCmdOpen);
        QCOMPARE(caption, QString("Open"));
        QVERIFY(velt::CurrentView());
        QCOMPARE(ui->documentWindow(velt::CurrentView())->windowTitle(), QString("count.c"));
        // Cancelled: nothing opens.
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            qobject_cast<QFileDialog*>(QApplication::activeModalWidget())->reject();
        });
        velt::DispatchCommand(velt::kCmdOpen);
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
    }

    void closingGoesThroughTheCore() {
        EditorWindow* e = OpenSource();
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        QPointer<QMdiSubWindow> window = ui->documentWindow(view);
        view->document->flags |= velt::kDocModified;
        // Cancel on the core's question keeps the window and the view.
        QString question;
        AnswerBox(QMessageBox::Cancel, &question);
        QVERIFY(!window->close());
        QVERIFY(question.contains("count.c", Qt::CaseInsensitive));
        QVERIFY(window);
        QCOMPARE(velt::CurrentView(), view);
        // No: the window goes and the core has let go of the view and the document.
        AnswerBox(QMessageBox::No, &question);
        QVERIFY(window->close());
        QTRY_VERIFY(!window);
        QCOMPARE(velt::FirstView(), nullptr);
        QCOMPARE(velt::DocumentCount(), 0);
        QCOMPARE(ui->documentWindow(view), nullptr);

        // The core's own Close command takes the window away without a second question.
        QVERIFY(OpenSource());
        window = ui->documentWindow(velt::CurrentView());
        QVERIFY(velt::CloseCurrentWindow());
        QTRY_VERIFY(!window);
        QVERIFY(frame->mdiArea()->subWindowList().isEmpty());
    }

    void aLanguageAddedOnItsPageColoursDocuments() {
        t->Write("root/bin/nimra.exe", "exe");
        t->Write("root/lib/kernel32.lib", "");
        std::string root = *t / "root";
        velt::GlobalSettings settings;
        velt::ConfigContext ctx(settings, root);
        velt::gui::ConfigDialog dialog(ctx);
        dialog.show();
        auto* page = dialog.findChild<QWidget*>("languagePage");
        QVERIFY(page);
        dialog.tabs()->setCurrentWidget(page);
        auto* list = page->findChild<QListWidget*>("languageList");
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->item(4)->text(), QString("C Language"));
        // The built-in names cannot be changed; a new language is added at the top.
        QVERIFY(page->findChild<QLineEdit*>("languageName")->isReadOnly());
        QVERIFY(!page->findChild<QPushButton*>("removeLanguage")->isEnabled());
        page->findChild<QPushButton*>("addLanguage")->click();
        QCOMPARE(list->count(), 6);
        QCOMPARE(list->currentRow(), 0);
        auto* name = page->findChild<QLineEdit*>("languageName");
        QVERIFY(!name->isReadOnly());
        QTest::keyClicks(name, "Modula");
        QCOMPARE(list->item(0)->text(), QString("Modula"));
        QTest::keyClicks(page->findChild<QLineEdit*>("languageExtensions"), "MOD;DEF");
        QTest::keyClicks(page->findChild<QLineEdit*>("languageCommentChars"), "!");
        page->findChild<QPlainTextEdit*>("languageKeywords")->setPlainText("module begin\nend");
        page->findChild<QCheckBox*>("languageCaseInsensitive")->setChecked(true);
        // Looking at another language and back keeps what was typed.
        list->setCurrentRow(2);
        QCOMPARE(name->text(), QString("Pascal"));
        list->setCurrentRow(0);
        QCOMPARE(page->findChild<QLineEdit*>("languageExtensions")->text(), QString("MOD;DEF"));
        dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const velt::Language* modula = velt::FindLanguage("Modula");
        QVERIFY(modula);
        QCOMPARE(velt::LanguageForExtension("mod"), modula);
        QVERIFY(modula->caseInsensitive());

        QVERIFY(velt::OpenFile(t->Write("main.mod", "MODULE Main; ! entry\r\nBEGIN x END\r\n")));
        Settle();
        EditorWindow* e = Current();
        const QImage shot = Shot(e);
        const QColor bg = Colour(kBackground);
        QVERIFY(Inked(shot, Cells(e, 0, 0, 6), Colour(kKeyword), bg));
        QVERIFY(Inked(shot, Cells(e, 0, 7, 4), Colour(kText), bg));
        QVERIFY(Inked(shot, Cells(e, 0, 13, 7), Colour(kComment), bg));
        QVERIFY(Inked(shot, Cells(e, 1, 8, 3), Colour(kKeyword), bg));
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
