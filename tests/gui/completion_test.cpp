// Word completion on Esc in the editor window (one word inserted at once, several offered in
// a pop-up menu at the pointer) and the functions list on F12, with Qt's own key events.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <string>

#include "editor/document.h"
#include "editor/editing.h"
#include "editor_harness.h"
#include "editor_window.h"
#include "functions_dialog.h"
#include "shell/strutil.h"

using velt::gui::EditorWindow;

namespace {

std::string Text(const velt::Document& doc, int line) {
    const velt::Line* l = velt::LineAt(doc, line);
    return l ? velt::LineString(l) : std::string("<none>");
}

// Runs `step` once the widget `find` looks for is up (from the event loop of whatever opened
// it). When none comes, the test fails instead of hanging.
template <typename T>
void WhenUp(std::function<T*()> find, std::function<void(T*)> step) {
    QTimer::singleShot(0, [find, step] {
        if (!QTest::qWaitFor([find] { return find() != nullptr; })) {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
            QFAIL("the expected window did not open");
        }
        step(find());
    });
}

QMenu* Popup() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

velt::gui::FunctionsDialog* FunctionsDialogUp() {
    return qobject_cast<velt::gui::FunctionsDialog*>(QApplication::activeModalWidget());
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
}

}  // namespace

class CompletionTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

  private slots:
    void init() {
        StartEditor();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() { StopEditor(); }

    void escCompletesTheOnlyWordAndUndoTakesItBack() {
        EditorWindow* e = Open("words.c", "int uniqueCounter;\r\nint other;\r\n\r\n");
        QVERIFY(e);
        const velt::Document& doc = *velt::CurrentView()->document;
        QTest::keyClick(e, Qt::Key_Down);
        QTest::keyClick(e, Qt::Key_Down);
        QTest::keyClicks(e, "x = uniq");
        QTest::keyClick(e, Qt::Key_Escape);
        QCOMPARE(Text(doc, 3), std::string("x = uniqueCounter"));
        QCOMPARE(int(velt::CurrentView()->cursorColumn), 17);
        QVERIFY(!Popup());
        // Alt+Backspace: the completion goes, the typing stays.
        QTest::keyClick(e, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(Text(doc, 3), std::string("x = uniq"));
    }

    void escOffersSeveralWordsInAPopupMenu() {
        EditorWindow* e = Open("sums.c",
                               "struct account { int total, totals, totalSum, count; } acc;\r\n"
                               "\r\n");
        QVERIFY(e);
        const velt::Document& doc = *velt::CurrentView()->document;
        QTest::keyClick(e, Qt::Key_Down);
        QTest::keyClicks(e, "acc.tot");

        QStringList offered;
        WhenUp<QMenu>(Popup, [&](QMenu* menu) {
            for (const QAction* a : menu->actions()) offered << a->text();
            const QString dir = ScreenshotDir();
            if (!dir.isEmpty()) QVERIFY(menu->grab().save(dir + "/completion-popup.png"));
            menu->setActiveAction(menu->actions().at(2));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::keyClick(e, Qt::Key_Escape);
        QCOMPARE(offered, (QStringList{"total", "totals", "totalSum"}));
        QCOMPARE(Text(doc, 2), std::string("acc.totalSum"));

        // Dismissed: nothing is inserted.
        QTest::keyClicks(e, " + acc.tot");
        bool closed = false;
        WhenUp<QMenu>(Popup, [&](QMenu* menu) {
            QTest::keyClick(menu, Qt::Key_Escape);
            closed = true;
        });
        QTest::keyClick(e, Qt::Key_Escape);
        QVERIFY(closed);
        QCOMPARE(Text(doc, 2), std::string("acc.totalSum + acc.tot"));
    }

    void f12ListsTheFunctionsAndGoesToTheOneChosen() {
        std::string source = "/* functions */\r\n";
        auto add = [&source](const char* name) {
            source += std::string("int ") + name + "(int x)\r\n{\r\n\treturn x;\r\n}\r\n";
            for (int i = 0; i < 40; ++i) source += "\r\n";
        };
        add("zebra");  // line 2
        add("apple");  // line 46
        add("Mango");  // line 90
        EditorWindow* e = Open("Funcs.C", source);
        QVERIFY(e);
        velt::EditView* view = velt::CurrentView();

        QString title, status;
        QStringList source0, sorted;
        WhenUp<velt::gui::FunctionsDialog>(FunctionsDialogUp, [&](velt::gui::FunctionsDialog* d) {
            title = d->windowTitle();
            status = d->findChild<QLabel*>("status")->text();
            auto* list = d->findChild<QListWidget*>("functions");
            auto* box = d->findChild<QCheckBox*>("sorted");
            source0 = Rows(list);
            box->setChecked(true);
            sorted = Rows(list);
            const QString dir = ScreenshotDir();
            if (!dir.isEmpty()) QVERIFY(d->grab().save(dir + "/functions-dialog.png"));
            // "Mango", the second of the sorted rows, by Enter.
            list->setCurrentRow(1);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::keyClick(e, Qt::Key_F12);
        QCOMPARE(title, QString::fromStdString(velt::AsciiLower(view->document->name)));
        QVERIFY(title.endsWith("/funcs.c"));
        QCOMPARE(status, QString("3 functions"));
        QCOMPARE(source0, (QStringList{"zebra", "apple", "Mango"}));
        QCOMPARE(sorted, (QStringList{"apple", "Mango", "zebra"}));
        QCOMPARE(velt::CursorLineNumber(*view), 90);

        // The box stays as it was left; a double click chooses too.
        bool wasSorted = false;
        WhenUp<velt::gui::FunctionsDialog>(FunctionsDialogUp, [&](velt::gui::FunctionsDialog* d) {
            QVERIFY(QTest::qWaitForWindowExposed(d));
            wasSorted = d->findChild<QCheckBox*>("sorted")->isChecked();
            auto* list = d->findChild<QListWidget*>("functions");
            const QRect r = list->visualItemRect(list->item(0));  // "apple"
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
            if (d->isVisible()) {
                d->reject();
                QFAIL("a double click did not choose");
            }
        });
        QTest::keyClick(e, Qt::Key_F12);
        QVERIFY(wasSorted);
        QCOMPARE(velt::CursorLineNumber(*view), 46);

        // Cancel leaves the cursor where it is.
        WhenUp<velt::gui::FunctionsDialog>(FunctionsDialogUp, [&](velt::gui::FunctionsDialog* d) {
            d->findChild<QCheckBox*>("sorted")->setChecked(false);
            d->findChild<QPushButton*>("cancel")->click();
        });
        QTest::keyClick(e, Qt::Key_F12);
        QCOMPARE(velt::CursorLineNumber(*view), 46);
    }
};

QTEST_MAIN(CompletionTest)
#include "completion_test.moc"
