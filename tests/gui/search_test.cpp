// The search dialogs in the running frame: Find through its command with the dialog filled
// as a user would, Find Next on F3, the checks that keep the dialog open, Replace answered
// through the "Replace" question, and one undo for the whole series.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "editor/block.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/search.h"
#include "editor_harness.h"
#include "editor_window.h"
#include "main_window.h"
#include "modal_steps.h"
#include "platform/profile_store.h"
#include "qt_ui.h"
#include "search_dialogs.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

using velt::gui::EditorWindow;

namespace {

// "int" stands alone on lines 2 and 3 and inside "print" and "printf"; "total" four times.
const char kSource[] =
    "/* print the total */\r\n"
    "int main(void) {\r\n"
    "\tint total = 0;\r\n"
    "\tprintf(\"%d\", total);\r\n"
    "\treturn total;\r\n"
    "}\r\n";

std::string Text(const velt::Document& doc, int line) {
    const velt::Line* l = velt::LineAt(doc, line);
    return l ? velt::LineString(l) : std::string("<none>");
}

std::string WholeText(const velt::Document& doc) {
    std::string all;
    for (int i = 1; i <= velt::CountLines(doc); ++i) all += Text(doc, i) + "\n";
    return all;
}

using velt::testing::Child;
using velt::testing::Modal;
using velt::testing::WhenModal;

// Answers the next message box with `button`, keeping its title and text.
void AnswerBox(QMessageBox::StandardButton button, QString* title, QString* text) {
    WhenModal<QMessageBox>([=](QMessageBox* box) {
        if (title) *title = box->windowTitle();
        if (text) *text = box->text();
        box->button(button)->click();
    });
}

// The texts of a dialog's labels, check boxes and radio buttons, sorted.
QStringList FieldTexts(QWidget* dialog) {
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    for (const QCheckBox* check : dialog->findChildren<QCheckBox*>()) texts << check->text();
    for (const QRadioButton* radio : dialog->findChildren<QRadioButton*>()) texts << radio->text();
    texts.sort();
    return texts;
}

}  // namespace

class SearchTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

    // Where the marked block lies: {line, first column, last column + 1}; the cursor is at
    // its far end.
    static std::tuple<int, int, int> Marked(const velt::EditView& view) {
        if (!view.block || view.block != view.cursor) return {0, 0, 0};
        const velt::Document& doc = *view.document;
        for (int i = 1; i <= velt::CountLines(doc); ++i)
            if (velt::LineAt(doc, i) == view.block)
                return {i, std::min<int>(view.blockColumn, view.cursorColumn),
                        std::max<int>(view.blockColumn, view.cursorColumn)};
        return {0, 0, 0};
    }

  private slots:
    void init() {
        StartEditor();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() {
        StopEditor();
        velt::Search() = velt::SearchSettings{};
    }

    void findDialogThenF3() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;

        bool shown = false;
        WhenModal<QDialog>([&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Search"));
            QStringList fields = {"Text to search",
                                  "Regular expression",
                                  "Match case",
                                  "Match whole words only",
                                  "Current window",
                                  "All windows",
                                  "Search iconized windows",
                                  "Forwards",
                                  "Backwards",
                                  "Wrap"};
            fields.sort();
            QCOMPARE(FieldTexts(d), fields);
            auto* regex = Child<QCheckBox>(d, "regex");
            auto* matchCase = Child<QCheckBox>(d, "matchCase");
            auto* allWindows = Child<QRadioButton>(d, "allWindows");
            auto* iconized = Child<QCheckBox>(d, "searchMinimised");
            QVERIFY(regex && matchCase && allWindows && iconized);
            // "Match case" only for plain text, "Search iconized windows" only with all
            // windows.
            regex->setChecked(true);
            QVERIFY(!matchCase->isEnabled());
            regex->setChecked(false);
            QVERIFY(matchCase->isEnabled());
            QVERIFY(!iconized->isEnabled());
            allWindows->setChecked(true);
            QVERIFY(iconized->isEnabled());
            Child<QRadioButton>(d, "currentWindow")->setChecked(true);

            Child<QComboBox>(d, "text")->setEditText("int");
            Child<QCheckBox>(d, "wholeWords")->setChecked(true);
            Child<QRadioButton>(d, "forwards")->setChecked(true);
            const QString dir = ScreenshotDir();
            if (!dir.isEmpty()) QVERIFY(d->grab().save(dir + "/search-dialog.png"));
            shown = true;
            Child<QPushButton>(d, "ok")->click();
        });
        velt::DispatchCommand(velt::kCmdFind);
        QVERIFY(shown);
        // Whole words: "print" on the first line is passed over.
        QCOMPARE(Marked(*view), std::make_tuple(2, 0, 3));
        QCOMPARE(int(view->cursorColumn), 3);

        // F3 through the frame's keys: the next one, again not the one inside "printf".
        QTest::keyClick(e, Qt::Key_F3);
        QCOMPARE(Marked(*view), std::make_tuple(3, 1, 4));
        QString title, text;
        AnswerBox(QMessageBox::Ok, &title, &text);
        QTest::keyClick(e, Qt::Key_F3);
        QCOMPARE(text, QString("String not found"));
        QCOMPARE(Marked(*view), std::make_tuple(3, 1, 4));

        // The next Find starts from the marked match and offers the text at the front of
        // its history.
        QStringList history;
        QString proposed;
        WhenModal<QDialog>([&](QDialog* d) {
            auto* box = Child<QComboBox>(d, "text");
            proposed = box->currentText();
            for (int i = 0; i < box->count(); ++i) history << box->itemText(i);
            d->reject();
        });
        velt::DispatchCommand(velt::kCmdFind);
        QCOMPARE(proposed, QString("int"));
        QVERIFY(!history.isEmpty());
        QCOMPARE(history.front(), QString("int"));
        QCOMPARE(Marked(*view), std::make_tuple(3, 1, 4));
        QCOMPARE(Text(doc, 3), std::string("\tint total = 0;"));
    }

    void refusedEntriesKeepTheDialogOpen() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        velt::SetSearchText("total");
        // No direction bit: the dialog opens with none chosen.
        velt::FindFlags() = velt::kFindCurrentWindow | velt::kFindPlain;

        QString directionText, emptyText, title;
        bool stillOpen = false;
        WhenModal<QDialog>([&](QDialog* d) {
            QVERIFY(!Child<QRadioButton>(d, "forwards")->isChecked());
            QVERIFY(!Child<QRadioButton>(d, "backwards")->isChecked());
            QVERIFY(!Child<QRadioButton>(d, "wrap")->isChecked());
            Child<QComboBox>(d, "text")->setEditText("int");
            AnswerBox(QMessageBox::Ok, &title, &directionText);
            Child<QPushButton>(d, "ok")->click();
            QVERIFY(d->isVisible());

            Child<QRadioButton>(d, "backwards")->setChecked(true);
            Child<QComboBox>(d, "text")->setEditText("");
            AnswerBox(QMessageBox::Ok, nullptr, &emptyText);
            Child<QPushButton>(d, "ok")->click();
            stillOpen = d->isVisible();
            // Cancel leaves the search as it was.
            Child<QPushButton>(d, "cancel")->click();
        });
        velt::DispatchCommand(velt::kCmdFind);
        QCOMPARE(directionText, QString("Direction ?"));
        QCOMPARE(emptyText, QString("Empty search string?"));
        QVERIFY(stillOpen);
        QCOMPARE(velt::Search().text, std::string("total"));
        QCOMPARE(velt::FindFlags() & (velt::kFindForwards | velt::kFindBackwards), 0);
        QVERIFY(!view->block);
    }

    void replaceAnsweredNoNoAllUndoneAtOnce() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();
        const velt::Document& doc = *view->document;
        const std::string before = WholeText(doc);

        // The "Replace" question: the found text, Yes, No, All and Cancel; answered No, No,
        // All.
        QStringList asked;
        QStringList buttons;
        std::function<void(int)> answer = [&](int round) {
            WhenModal<QMessageBox>([&, round](QMessageBox* box) {
                asked << box->windowTitle() + ":" + box->text();
                if (round == 0)
                    for (QAbstractButton* b : box->buttons()) buttons << b->text().remove('&');
                // Clicking only ends the box's loop: the next question is awaited after it.
                box->button(round < 2 ? QMessageBox::No : QMessageBox::YesToAll)->click();
                if (round < 2) answer(round + 1);
            });
        };
        WhenModal<QDialog>([&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Search and replace"));
            QStringList fields = {"Text to search for", "Replace it with:",
                                  "Current window",     "All windows",
                                  "Whole words",        "Regular expression",
                                  "Match case",         "Forwards",
                                  "Backwards",          "Wrap",
                                  "Confirmation"};
            fields.sort();
            QCOMPARE(FieldTexts(d), fields);
            QVERIFY(Child<QCheckBox>(d, "confirm")->isChecked());
            Child<QComboBox>(d, "text")->setEditText("total");
            Child<QLineEdit>(d, "replacement")->setText("sum");
            Child<QRadioButton>(d, "forwards")->setChecked(true);
            const QString dir = ScreenshotDir();
            if (!dir.isEmpty()) QVERIFY(d->grab().save(dir + "/replace-dialog.png"));
            Child<QPushButton>(d, "ok")->click();
            answer(0);
        });
        velt::DispatchCommand(velt::kCmdReplace);
        QCOMPARE(asked, QStringList({"Replace:total", "Replace:total", "Replace:total"}));
        buttons.sort();
        QCOMPARE(buttons, QStringList({"All", "Cancel", "No", "Yes"}));
        QCOMPARE(Text(doc, 1), std::string("/* print the total */"));
        QCOMPARE(Text(doc, 3), std::string("\tint total = 0;"));
        QCOMPARE(Text(doc, 4), std::string("\tprintf(\"%d\", sum);"));
        QCOMPARE(Text(doc, 5), std::string("\treturn sum;"));
        QCOMPARE(velt::FrameStatusPane().Text(), std::string("2 substitutions"));

        // One Alt+Backspace takes back the whole series.
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(WholeText(doc), before);
        QCOMPARE(velt::CheckDocument(doc), std::string());
    }

    void replaceCancelled() {
        EditorWindow* e = Open("count.c", kSource);
        QVERIFY(e);
        const velt::Document& doc = *velt::CurrentView()->document;
        const std::string before = WholeText(doc);

        // Cancel in the dialog: nothing is asked, nothing replaced.
        WhenModal<QDialog>([](QDialog* d) {
            Child<QComboBox>(d, "text")->setEditText("total");
            Child<QPushButton>(d, "cancel")->click();
        });
        velt::DispatchCommand(velt::kCmdReplace);
        QCOMPARE(WholeText(doc), before);

        // Yes, then Cancel in the question: one replacement, and the count so far.
        WhenModal<QDialog>([](QDialog* d) {
            QVERIFY(Child<QCheckBox>(d, "confirm")->isChecked());
            Child<QComboBox>(d, "text")->setEditText("total");
            Child<QLineEdit>(d, "replacement")->setText("sum");
            Child<QRadioButton>(d, "forwards")->setChecked(true);
            Child<QPushButton>(d, "ok")->click();
            WhenModal<QMessageBox>([](QMessageBox* box) {
                box->button(QMessageBox::Yes)->click();
                // Esc is Cancel.
                WhenModal<QMessageBox>(
                    [](QMessageBox* second) { QTest::keyClick(second, Qt::Key_Escape); });
            });
        });
        velt::DispatchCommand(velt::kCmdReplace);
        QCOMPARE(Text(doc, 1), std::string("/* print the sum */"));
        QCOMPARE(Text(doc, 3), std::string("\tint total = 0;"));
        QCOMPARE(velt::FrameStatusPane().Text(), std::string("1 substitutions"));
    }

    void allWindowsSkipMinimisedOnesUnlessAsked() {
        QVERIFY(Open("one.c", "first\r\nthe needle here\r\n"));
        velt::EditView* first = velt::CurrentView();
        QVERIFY(Open("two.c", kSource));
        velt::EditView* second = velt::CurrentView();
        QVERIFY(first != second);
        // Out of the maximised arrangement first: the area keeps every window maximised.
        ui->documentWindow(second)->showNormal();
        ui->documentWindow(first)->showMinimized();
        // Minimising activates the window; the search starts in the other one.
        frame->mdiArea()->setActiveSubWindow(ui->documentWindow(second));
        QCOMPARE(velt::CurrentView(), second);
        QVERIFY(velt::gWindowMinimised(first));
        QVERIFY(!velt::gWindowMinimised(second));

        // `notFound`: the search is expected to end with a box, whose text it receives.
        auto find = [&](bool iconized, QString* notFound) {
            WhenModal<QDialog>([iconized, notFound](QDialog* d) {
                Child<QComboBox>(d, "text")->setEditText("needle");
                Child<QRadioButton>(d, "allWindows")->setChecked(true);
                Child<QCheckBox>(d, "searchMinimised")->setChecked(iconized);
                Child<QRadioButton>(d, "forwards")->setChecked(true);
                Child<QPushButton>(d, "ok")->click();
                if (notFound) AnswerBox(QMessageBox::Ok, nullptr, notFound);
            });
            velt::DispatchCommand(velt::kCmdFind);
        };
        QString text;
        find(false, &text);
        QCOMPARE(text, QString("String not found"));
        QVERIFY(velt::FindFlags() & velt::kFindSkipMinimised);
        QCOMPARE(velt::CurrentView(), second);
        QVERIFY(!second->block);

        find(true, nullptr);
        QCOMPARE(velt::CurrentView(), first);
        QCOMPARE(Marked(*first), std::make_tuple(2, 4, 10));
        QVERIFY(!velt::gWindowMinimised(first));  // the match is shown
    }
};

QTEST_MAIN(SearchTest)
#include "search_test.moc"
