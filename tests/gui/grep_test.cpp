// Find in files in the running frame: the dialog filled as a user would, the hits on the
// "search" page, a double-click that opens the file at the line, and Esc stopping a search
// that runs while the window stays usable.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>

#include "analysis/grep.h"
#include "editor/document.h"
#include "editor/editing.h"
#include "editor_harness.h"
#include "grep_dialog.h"
#include "modal_steps.h"
#include "output_pane_widget.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/output_pane.h"
#include "shell/status_pane.h"
#include "status_pane_widget.h"

namespace {

using velt::testing::Child;
using velt::testing::Modal;
using velt::testing::WhenModal;

QStringList FieldTexts(QWidget* dialog) {
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    for (const QCheckBox* check : dialog->findChildren<QCheckBox*>()) texts << check->text();
    texts.sort();
    return texts;
}

QStringList Items(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

}  // namespace

class GrepTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

  private slots:
    void init() {
        velt::Grep() = velt::GrepState{};
        StartEditor();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() {
        velt::gGrepBeforeFile = nullptr;
        StopEditor();
        velt::Grep() = velt::GrepState{};
        velt::FrameOutputPane().Reset();
    }

    void searchListsHitsAndOpensTheFileAtTheLine() {
        t->Write("src/one.c", "/* one */\n\n\tint main(void) { return 0; }\nint domain;\n");
        t->Write("src/lib/Two.H", "#define MAIN_H\n#define MAIN 2\n");
        QVERIFY(Open("cur.c", "int counter;\r\n"));
        velt::PlaceCursor(*velt::CurrentView(), 1, 6);  // on "counter"
        const QString src = QString::fromStdString(t->path() + "/src");

        bool shown = false;
        QString refused;
        WhenModal<QDialog>([&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Global Regular Expression Print (GREP)"));
            QStringList fields = {"Expression to search for:",
                                  "File mask: (for instance *.c)",
                                  "Search in directory:",
                                  "Regular expression",
                                  "Ignore case",
                                  "Whole words",
                                  "Multiple (several expr)",
                                  "Include subdirectories"};
            fields.sort();
            QCOMPARE(FieldTexts(d), fields);
            auto* expression = Child<QComboBox>(d, "expression");
            auto* directory = Child<QComboBox>(d, "directory");
            auto* masks = Child<QLineEdit>(d, "masks");
            auto* search = Child<QPushButton>(d, "search");
            auto* ignoreCase = Child<QCheckBox>(d, "ignoreCase");
            auto* wholeWords = Child<QCheckBox>(d, "wholeWords");
            auto* several = Child<QCheckBox>(d, "severalWords");
            QVERIFY(expression && directory && masks && search && ignoreCase && wholeWords &&
                    several);
            QCOMPARE(search->text(), QString("&Search"));
            QCOMPARE(expression->currentText(), QString("counter"));
            QCOMPARE(masks->text(), QString("*.c *.h"));
            QCOMPARE(directory->currentText(), QString::fromStdString(t->path()));

            // "&Search" only with an expression.
            expression->setEditText("");
            QVERIFY(!search->isEnabled());
            expression->setEditText("main");
            QVERIFY(search->isEnabled());
            // Several words turns case sensitivity and whole words off.
            wholeWords->setChecked(true);
            several->setChecked(true);
            QVERIFY(ignoreCase->isChecked());
            QVERIFY(!wholeWords->isChecked());
            several->setChecked(false);

            wholeWords->setChecked(true);
            Child<QCheckBox>(d, "subdirectories")->setChecked(true);
            // A directory that does not exist keeps the dialog open.
            directory->setEditText("nowhere");
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                refused = box->text();
                box->button(QMessageBox::Ok)->click();
            });
            search->click();
            QTRY_VERIFY(!refused.isEmpty());
            QVERIFY(d->isVisible());

            directory->setEditText(src + "/");
            const QString dir = ScreenshotDir();
            if (!dir.isEmpty()) QVERIFY(d->grab().save(dir + "/grep-dialog.png"));
            shown = true;
            search->click();
        });
        velt::DispatchCommand(velt::kCmdFindInFiles);
        QVERIFY(shown);
        QCOMPARE(refused, QString("Directory nowhere doesn't exist"));
        QTRY_VERIFY(!velt::GrepRunning());

        QListWidget* list = frame->outputPane()->pageList(velt::kSearchPage);
        QVERIFY(list);
        QCOMPARE(frame->outputPane()->currentWidget(), list);
        const QString lower = src.toLower();
        QCOMPARE(Items(list), (QStringList{"Searching for 'main' in '*.c *.h': 2 hits.",
                                           "[" + lower + "/one.c:3] int main(void) { return 0; }",
                                           "[" + lower + "/lib/two.h:2] #define MAIN 2"}));
        QCOMPARE(frame->statusPane()->messageText(),
                 QString("Searching for 'main' in '*.c *.h': 2 hits."));

        // A double-click opens the file with the cursor on the line.
        for (const int row : {2, 1}) {
            list->scrollToItem(list->item(row));
            const QRect rect = list->visualItemRect(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            velt::EditView* view = velt::CurrentView();
            QVERIFY(view && view->document);
            QCOMPARE(QString::fromStdString(view->document->name),
                     row == 2 ? src + "/lib/Two.H" : src + "/one.c");
            QCOMPARE(velt::CursorLineNumber(*view), row == 2 ? 2 : 3);
        }
        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) QVERIFY(frame->grab().save(dir + "/grep-results.png"));
    }

    void escStopsARunningSearchKeepingItsHits() {
        for (char c = 'a'; c <= 'e'; ++c) t->Write(std::string(1, c) + ".c", "x\nmain();\n");
        // The walk is held at the third file until Esc has been pressed.
        std::atomic<bool> held{false};
        std::atomic<bool> release{false};
        velt::gGrepBeforeFile = [&](const std::string& file) {
            if (file != "c.c") return;
            held = true;
            while (!release.load()) std::this_thread::yield();
        };
        WhenModal<QDialog>([](QDialog* d) {
            Child<QComboBox>(d, "expression")->setEditText("main");
            Child<QPushButton>(d, "search")->click();
        });
        velt::DispatchCommand(velt::kCmdFindInFiles);
        QTRY_VERIFY(held.load());
        QVERIFY(velt::GrepRunning());
        // The window keeps working and shows the progress meanwhile.
        QTRY_VERIFY(frame->statusPane()->messageText().endsWith(" c.c"));
        QTest::keyClick(frame.get(), Qt::Key_Escape);
        release = true;
        QTRY_VERIFY(!velt::GrepRunning());
        QListWidget* list = frame->outputPane()->pageList(velt::kSearchPage);
        QCOMPARE(Items(list), (QStringList{"Searching for 'main' in '*.c *.h': 2 hits.",
                                           "[a.c:2] main();", "[b.c:2] main();"}));
    }
};

QTEST_MAIN(GrepTest)
#include "grep_test.moc"
