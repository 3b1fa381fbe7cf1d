// The Utilities page of the configuration sheet changes the utilities at once: a utility
// added there gets its entry in the frame's Project menu, a deleted one loses it. The
// "Execute a program" dialog closes only on a name.
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "config_dialog.h"
#include "execute_dialog.h"
#include "frame_menus.h"
#include "main_window.h"
#include "platform/files.h"
#include "project/run_program.h"
#include "project/utilities.h"
#include "scripted_ui.h"
#include "shell/commands.h"
#include "shell/menu_model.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"
#include "temp_dir.h"

using velt::gui::ConfigDialog;
using velt::gui::MainWindow;

class UtilitiesTest : public QObject {
    Q_OBJECT

    template <class T>
    static T* Child(QWidget& parent, const char* name) {
        T* child = parent.findChild<T*>(name);
        if (!child) qFatal("no widget named %s", name);
        return child;
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    std::unique_ptr<velt::testing::TempDir> t;
    std::string root;
    velt::GlobalSettings settings;

  private slots:
    void init() {
        t = std::make_unique<velt::testing::TempDir>();
        root = *t / "root";
        velt::ResetUtilities();
        velt::InstallUtilities(root);
        velt::FrameStatusPane().Reset();
    }
    void cleanup() {
        velt::UninstallUtilities();
        velt::ResetUtilities();
        t.reset();
    }

    void addedUtilityGetsItsMenuEntry() {
        velt::testing::ScriptedUi ui;
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QString shots = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (!shots.isEmpty()) QDir().mkpath(shots);

        velt::ConfigContext ctx(settings, root);
        {
            ConfigDialog dialog(ctx, &frame);
            QWidget* page = Child<QWidget>(dialog, "utilitiesPage");
            dialog.tabs()->setCurrentWidget(page);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            // Twelve characters typed, nine kept.
            Type(Child<QLineEdit>(*page, "utilityName"), "MyGrep123456");
            Type(Child<QLineEdit>(*page, "utilityProgram"), "/usr/bin/grep");
            Type(Child<QLineEdit>(*page, "utilityArguments"), "-n $CURRENT_TEXT$ $FILE$");
            Child<QPushButton>(*page, "changeUtility")->click();
            auto* list = Child<QListWidget>(*page, "utilityList");
            QCOMPARE(list->count(), 1);
            QCOMPARE(list->item(0)->text(), QString("MyGrep123"));
            QCOMPARE(Child<QLineEdit>(*page, "utilityName")->text(), QString("MyGrep123"));
            QCOMPARE(velt::FrameStatusPane().Text(), std::string("Utility 'MyGrep123' ready"));
            if (!shots.isEmpty()) QVERIFY(dialog.grab().save(shots + "/utilities-page.png"));
            // Cancelling the sheet does not take the utility back.
            dialog.reject();
        }
        QCOMPARE(velt::Utilities().size(), std::size_t{1});

        // The Project menu, opened, ends with the entry; its help shows the command line.
        QMenu* project = frame.menus()->menu(velt::kProjectMenu);
        frame.menuBar()->setActiveAction(project->menuAction());
        QVERIFY(QTest::qWaitFor([project] { return project->isVisible(); }));
        QAction* entry = frame.menus()->action(velt::kCmdUtilityFirst);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString("MyGrep123\tShift+F1"));
        QCOMPARE(project->actions().back(), entry);
        QVERIFY(project->actions().at(project->actions().size() - 2)->isSeparator());
        project->setActiveAction(entry);
        QCOMPARE(velt::FrameStatusPane().Text(),
                 std::string("Execute /usr/bin/grep -n $CURRENT_TEXT$ $FILE$."));
        if (!shots.isEmpty()) {
            QPixmap shot = frame.grab();
            QPainter painter(&shot);
            painter.drawPixmap(project->mapToGlobal(QPoint()) - frame.mapToGlobal(QPoint()),
                               project->grab());
            painter.end();
            QVERIFY(shot.save(shots + "/utilities-menu.png"));
        }
        project->hide();

        // Deleted on the page: the entry and its separator go.
        {
            ConfigDialog dialog(ctx, &frame);
            QWidget* page = Child<QWidget>(dialog, "utilitiesPage");
            Child<QListWidget>(*page, "utilityList")->setCurrentRow(0);
            QCOMPARE(Child<QLineEdit>(*page, "utilityProgram")->text(), QString("/usr/bin/grep"));
            Child<QPushButton>(*page, "deleteUtility")->click();
            QCOMPARE(Child<QListWidget>(*page, "utilityList")->count(), 0);
            QCOMPARE(Child<QLineEdit>(*page, "utilityName")->text(), QString());
        }
        QCOMPARE(ui.Texts(), std::vector<std::string>{"Utility [MyGrep123] erased"});
        frame.menus()->rebuild(velt::kProjectMenu);
        QVERIFY(!frame.menus()->action(velt::kCmdUtilityFirst));
        QVERIFY(!project->actions().back()->isSeparator());
    }

    void executeDialogKeepsOpenWithoutAName() {
        velt::testing::ScriptedUi ui;
        velt::ResetExecuteProgram();
        velt::ExecuteProgramRecord record;
        record.Load();
        velt::gui::ExecuteProgramDialog dialog(record);
        QCOMPARE(dialog.windowTitle(), QString("Execute a program"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = Child<QLineEdit>(dialog, "programName");
        QCOMPARE(name->text(), QString());
        QCOMPARE(Child<QLineEdit>(dialog, "programStartDir")->text(),
                 QString::fromStdString(velt::AsciiLower(velt::platform::CurrentDirectory())));
        Type(Child<QLineEdit>(dialog, "programArguments"), "-v");
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ui.Texts(), std::vector<std::string>{"No name of the program?"});
        Type(name, "/bin/true");
        const QString shots = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (!shots.isEmpty()) QVERIFY(dialog.grab().save(shots + "/execute-dialog.png"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(record.name + "|" + record.arguments, std::string("/bin/true|-v"));
    }
};

QTEST_MAIN(UtilitiesTest)
#include "utilities_test.moc"
