// The edit-build-run loop as a new user meets it, with the real front end and the compiler
// system the build installed: a fresh settings directory, New project "hello" (a console
// skeleton) through its dialogs, F9 and the success line, an error and the jump to its line,
// a call of sqrt and the missing library added on request, Rebuild all, and Ctrl+F5 running
// the program.
#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWizard>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "build/build.h"
#include "build/diagnostics.h"
#include "build_front_end.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor_window.h"
#include "frame_menus.h"
#include "frame_startup.h"
#include "main_window.h"
#include "output_pane_widget.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/profile_store.h"
#include "project/makefile.h"
#include "project/new_project.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/utilities.h"
#include "qt_ui.h"
#include "scoped_env.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/output_pane.h"
#include "shell/startup.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace pf = velt::platform;
namespace fs = std::filesystem;

class BuildLoopTest : public QObject {
    Q_OBJECT

    template <class T>
    static T* Child(QWidget* parent, const char* name) {
        T* child = parent->findChild<T*>(name);
        if (!child) qFatal("no widget named %s", name);
        return child;
    }

    // The boxes expected next, each answered with its button; every box shown is recorded.
    struct Expected {
        QString start;
        QMessageBox::StandardButton button;
    };
    std::deque<Expected> expected;
    QStringList boxes;
    // Modal windows other than boxes, by object name (or class name), handled once.
    std::deque<std::pair<QString, std::function<void(QWidget*)>>> windows;
    QTimer watcher;

    void Watch() {
        connect(&watcher, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible()) return;
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                boxes << box->text();
                QAbstractButton* b = nullptr;
                if (!expected.empty() && box->text().startsWith(expected.front().start)) {
                    b = box->button(expected.front().button);
                    expected.pop_front();
                }
                if (!b)
                    b = box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok
                                                                             : QMessageBox::No);
                if (!b) b = box->buttons().front();
                b->click();
                return;
            }
            if (windows.empty()) return;
            const QString name =
                w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
            if (name != windows.front().first) return;
            auto act = std::move(windows.front().second);
            windows.pop_front();
            act(w);
        });
        watcher.start(20);
    }

    void Shot(QWidget* w, const QString& file) {
        const QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        QVERIFY(w->grab().save(dir + "/" + file));
    }

    QListWidget* BuildPage() { return frame->outputPane()->pageList(velt::kBuildPage); }
    QStringList BuildLines() {
        QStringList lines;
        if (QListWidget* list = BuildPage())
            for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
    // Waits for the build the last command started to end and show its results.
    bool BuildEnded() {
        return QTest::qWaitFor(
            [] {
                return velt::BuildState() == velt::kBuildIdle &&
                       velt::LastBuildReturnCode() != -1 &&
                       velt::FrameOutputPane().Lines(velt::kBuildPage).size() > 0;
            },
            60000);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(editor(), static_cast<Qt::Key>(key), modifiers);
    }
    velt::gui::EditorWindow* editor() { return ui->editorWindow(velt::CurrentView()); }
    // A menu entry chosen as the user does: the menus are filled as they open, then the
    // entry is triggered. False when the entry is missing or greyed.
    bool Choose(unsigned command) {
        frame->menus()->rebuildAll();
        QAction* action = frame->menus()->action(command);
        if (!action || !action->isEnabled()) return false;
        action->trigger();
        return true;
    }
    // Runs the build with F9 and waits for its results.
    bool F9() {
        velt::FrameOutputPane().Clear(velt::kBuildPage);
        Key(Qt::Key_F9);
        return BuildEnded();
    }

    std::unique_ptr<velt::testing::TempDir> t;
    std::unique_ptr<velt::testing::ScopedEnv> runtime, display, wayland, user;
    std::unique_ptr<velt::testing::ScopedCurrentDirectory> cwd;
    std::unique_ptr<velt::StartupState> st;
    std::unique_ptr<velt::gui::QtUi> ui;
    std::unique_ptr<velt::gui::FrameStartup> hooks;
    velt::gui::MainWindow* frame = nullptr;
    std::string base, root, hello;

  private slots:
    void init() {
        // The compiler system the build installed beside this program.
        const std::string built =
            pf::DirectoryPart(pf::DirectoryPart(pf::DirectoryPart(pf::CurrentExecutablePath()))) +
            "/sdk-root";
        if (!pf::IsRegularFile(built + "/bin/nimra.exe") ||
            !pf::IsRegularFile(built + "/bin/nimralnk.exe") ||
            !pf::IsRegularFile(built + "/bin/make.exe") ||
            !pf::IsRegularFile(built + "/bin/skelgen.exe"))
            QSKIP("the stand-in compiler system is not built");
        t = std::make_unique<velt::testing::TempDir>();
        base = fs::canonical(t->path()).string();
        {
            const std::string trial = t->Write("trial.c", "int main(void) { return 0; }\n");
            QProcess gcc;
            gcc.start("gcc", {"-m32", QString::fromStdString(trial), "-o",
                              QString::fromStdString(base + "/trial")});
            if (!gcc.waitForFinished(60000) || gcc.exitStatus() != QProcess::NormalExit ||
                gcc.exitCode() != 0)
                QSKIP("gcc -m32 cannot link here");
        }
        // A root of its own (the projects table and the settings are written there), with the
        // built programs, headers and libraries.
        root = base + "/root";
        fs::create_directories(root + "/lib");
        fs::create_directory_symlink(built + "/bin", root + "/bin");
        fs::create_directory_symlink(built + "/include", root + "/include");
        for (const auto& entry : fs::directory_iterator(built + "/lib"))
            fs::copy_file(entry.path(), root + "/lib/" + entry.path().filename().string());
        fs::create_directories(base + "/run");
        ::chmod((base + "/run").c_str(), 0700);
        fs::create_directories(base + "/start");
        fs::create_directories(base + "/work");
        runtime = std::make_unique<velt::testing::ScopedEnv>("XDG_RUNTIME_DIR", base + "/run");
        // conrun opens a terminal window only when there is a display.
        display = std::make_unique<velt::testing::ScopedEnv>("DISPLAY", std::nullopt);
        wayland = std::make_unique<velt::testing::ScopedEnv>("WAYLAND_DISPLAY", std::nullopt);
        // The user's name as the system gives it, so that no login is asked.
        user = std::make_unique<velt::testing::ScopedEnv>("USER", std::string("tester"));
        cwd = std::make_unique<velt::testing::ScopedCurrentDirectory>();
        QVERIFY(velt::RegisterDefaultRoot(root));
        pf::SetCurrentDirectory(base + "/start");
        pf::ProfileForgetCache();
        hello = base + "/work/hello";

        // As main() wires the program.
        st = std::make_unique<velt::StartupState>();
        ui = std::make_unique<velt::gui::QtUi>(nullptr);
        velt::SetUi(ui.get());
        velt::InstallEditor(st->settings);
        velt::InstallUtilities(st->root);
        velt::InstallProjects(st->settings, &st->options);
        velt::InstallProjectCreation();
        velt::InstallMakefileCommands();
        velt::gui::InstallBuildFrontEnd(
            [this](std::string& text) { return st->instance.block().ReadText(text); });
        boxes.clear();
        expected.clear();
        windows.clear();
        Watch();
        expected.push_back({"First time use.", QMessageBox::Ok});
        hooks = std::make_unique<velt::gui::FrameStartup>(*st, ui.get());
        QCOMPARE(velt::RunStartup(*st, *hooks, velt::CommandLineFromArguments({})),
                 velt::StartupOutcome::Run);
        hooks->Listen();
        frame = hooks->frame();
        QVERIFY(frame);
        frame->resize(900, 640);
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanup() {
        if (!hooks) return;
        velt::WaitForBuild();
        frame->close();
        hooks->StopListening();
        velt::RunShutdown(*st, *hooks);
        hooks.reset();
        velt::gui::UninstallBuildFrontEnd();
        velt::UninstallMakefileCommands();
        velt::UninstallProjectCreation();
        velt::UninstallProjects();
        velt::UninstallEditor();
        velt::ReleaseAllDocuments();
        velt::SetUi(nullptr);
        ui.reset();
        st.reset();
        watcher.stop();
        watcher.disconnect();
        cwd.reset();
        user.reset();
        wayland.reset();
        display.reset();
        runtime.reset();
        t.reset();
    }

    void newProjectBuildFixRunLoop() {
        QCOMPARE(boxes.size(), 1);  // the projects table made on the first start

        // ---- New project: the name, the dialog, the skeleton, the build pages.
        windows.push_back({"QInputDialog", [](QWidget* w) {
                               auto* d = static_cast<QInputDialog*>(w);
                               QCOMPARE(d->windowTitle(), QString("Enter the new project name"));
                               QCOMPARE(d->labelText(), QString("Project name?"));
                               d->setTextValue("hello");
                               d->accept();
                           }});
        windows.push_back(
            {"newProjectDialog", [this](QWidget* w) {
                 QCOMPARE(w->windowTitle(), QString("Definition of a new project"));
                 QCOMPARE(Child<QLineEdit>(w, "projectName")->text(), QString("hello"));
                 QVERIFY(Child<QRadioButton>(w, "type1")->isChecked());
                 QCOMPARE(Child<QRadioButton>(w, "type1")->text(), QString("Console Application"));
                 QVERIFY(!Child<QWidget>(w, "useVersioning")->isEnabled());
                 auto* path = Child<QLineEdit>(w, "projectPath");
                 QCOMPARE(w->focusWidget(), path);
                 path->setFocus();
                 QTest::keyClicks(path, QString::fromStdString(hello));
                 QTest::keyClick(path, Qt::Key_Tab);
                 QCOMPARE(Child<QLineEdit>(w, "outputDir")->text(),
                          QString::fromStdString(hello + "/nimra"));
                 Shot(w, "new-project-dialog.png");
                 Child<QPushButton>(w, "create")->click();
             }});
        expected.push_back({"Do you want to use the skelgen", QMessageBox::Yes});
        QString offered;
        windows.push_back({"buildSettingsWizard", [&](QWidget* w) {
                               auto* wizard = static_cast<QWizard*>(w);
                               QCOMPARE(wizard->windowTitle(), QString("Compiler configuration"));
                               QCOMPARE(wizard->currentPage()->title(),
                                        QString("Compiler settings"));
                               QVERIFY(Child<QCheckBox>(w, "debugInfo")->isChecked());
                               wizard->next();
                               QCOMPARE(wizard->currentPage()->title(), QString("Linker settings"));
                               offered = Child<QLineEdit>(w, "libraries")->text();
                               QVERIFY(Child<QCheckBox>(w, "consoleApp")->isChecked());
                               Shot(w, "new-project-linker-settings.png");
                               wizard->button(QWizard::FinishButton)->click();
                           }});
        QVERIFY(Choose(velt::kCmdCreateProject));
        QVERIFY(windows.empty());
        QVERIFY(expected.empty());
        QCOMPARE(offered, QString(" txtconio.lib"));
        QCOMPARE(frame->windowTitle(), QString("hello"));
        QVERIFY(pf::IsRegularFile(hello + "/nimra/Makefile"));
        QVERIFY(velt::CurrentDocument());
        QCOMPARE(velt::CurrentDocument()->name, hello + "/hello.c");
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
        ui->documentWindow(velt::CurrentView())->showMaximized();
        editor()->setFocus();

        // ---- F9 builds the skeleton.
        QVERIFY(F9());
        QCOMPARE(BuildLines().size(), 1);
        QVERIFY2(BuildLines()[0].startsWith("hello.exe built successfully. ("),
                 qPrintable(BuildLines().join('\n')));
        QVERIFY(pf::IsRegularFile(hello + "/nimra/hello.exe"));

        // ---- An error on line 5: the diagnostic names it and a double click goes there.
        Key(Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < 4; ++i) Key(Qt::Key_Down);
        Key(Qt::Key_End);
        QTest::keyClicks(editor(), " oops = 1;");
        Key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(velt::CursorLineNumber(*velt::CurrentView()), 1);
        windows.push_back(
            {"ModifiedFiles", [](QWidget* w) { Child<QPushButton>(w, "saveAll")->click(); }});
        QVERIFY(F9());
        QVERIFY(windows.empty());
        const QStringList failed = BuildLines();
        QVERIFY2(failed.last().startsWith("Compilation + link time:"),
                 qPrintable(failed.join('\n')));
        QVERIFY(!failed.last().endsWith("Return code: 0"));
        int row = -1;
        for (int i = 0; i < failed.size() && row < 0; ++i)
            if (failed[i].startsWith("Error") && failed[i].contains("oops")) row = i;
        QVERIFY2(row >= 0, qPrintable(failed.join('\n')));
        const std::optional<velt::DiagnosticEntry> entry =
            velt::ParseDiagnostic(failed[row].toStdString(), false, pf::CurrentDirectory());
        QVERIFY(entry);
        QCOMPARE(entry->line, 5);
        QVERIFY2(QString::fromStdString(entry->text).startsWith("[5]:"), entry->text.c_str());
        Shot(frame, "build-loop-error.png");
        QListWidget* list = BuildPage();
        QVERIFY(list->isVisible());
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(velt::CursorLineNumber(*velt::CurrentView()), 5);
        QCOMPARE(velt::CurrentDocument()->name, hello + "/hello.c");

        // ---- sqrt without its library: the library is offered, added, and the next F9 links.
        editor()->setFocus();
        Key(Qt::Key_End);
        for (int i = 0; i < 10; ++i) Key(Qt::Key_Backspace);
        Key(Qt::Key_Return);
        QTest::keyClicks(editor(),
                         "volatile double v = 2.0; FILE *f = fopen(\"out.txt\", \"w\"); "
                         "fprintf(f, \"%.3f\\n\", sqrt(v)); fclose(f);");
        Key(Qt::Key_Home, Qt::ControlModifier);
        Key(Qt::Key_Down);
        Key(Qt::Key_End);
        Key(Qt::Key_Return);
        QTest::keyClicks(editor(), "#include <math.h>");
        QStringList missing;
        windows.push_back(
            {"ModifiedFiles", [](QWidget* w) { Child<QPushButton>(w, "saveAll")->click(); }});
        windows.push_back({"QDialog", [&](QWidget* w) {
                               QCOMPARE(w->windowTitle(), QString("Missing libraries"));
                               for (QListWidget* l : w->findChildren<QListWidget*>())
                                   for (int i = 0; i < l->count(); ++i)
                                       missing << l->item(i)->text();
                               for (QPushButton* b : w->findChildren<QPushButton*>())
                                   if (b->text() == "Add libs") b->click();
                           }});
        expected.push_back(
            {"The missing libraries habe been added. Restart Make", QMessageBox::Ok});
        boxes.clear();
        QVERIFY(F9());
        QVERIFY2(windows.empty(), qPrintable(BuildLines().join('\n')));
        QVERIFY2(expected.empty(), qPrintable(boxes.join('\n')));
        QCOMPARE(missing.size(), 1);
        QVERIFY2(missing[0].startsWith("sqrt ("), qPrintable(missing[0]));
        QVERIFY(missing[0].endsWith(" libm.lib"));
        QVERIFY(velt::CurrentProject().libraries.find("libm.lib") != std::string::npos);
        std::string makefile;
        pf::ReadWholeFile(hello + "/nimra/Makefile", makefile);
        QVERIFY(makefile.find("\nLIBS= txtconio.lib libm.lib\n") != std::string::npos);

        QVERIFY(F9());
        QVERIFY2(BuildLines().size() == 1 &&
                     BuildLines()[0].startsWith("hello.exe built successfully. ("),
                 qPrintable(BuildLines().join('\n')));
        Shot(frame, "build-loop-success.png");

        // ---- Rebuild all: the object goes and comes back.
        const std::string object = hello + "/nimra/hello.obj";
        QVERIFY(pf::IsRegularFile(object));
        const auto before = pf::ModificationTime(object);
        QTest::qWait(20);
        velt::FrameOutputPane().Clear(velt::kBuildPage);
        QVERIFY(Choose(velt::kCmdRebuildAll));
        QVERIFY(BuildEnded());
        QCOMPARE(QString::fromStdString(velt::FrameStatusPane().Text()),
                 QString("1 object files deleted"));
        QVERIFY2(BuildLines()[0].startsWith("hello.exe built successfully. ("),
                 qPrintable(BuildLines().join('\n')));
        QVERIFY(pf::IsRegularFile(object));
        QVERIFY(*pf::ModificationTime(object) > *before);

        // ---- Ctrl+F5 runs it: its output file appears in its working directory.
        const std::string out = hello + "/nimra/out.txt";
        QVERIFY(!pf::PathExists(out));
        editor()->setFocus();
        Key(Qt::Key_F5, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([&] { return pf::IsRegularFile(out); }, 30000));
        std::string text;
        QVERIFY(
            QTest::qWaitFor([&] { return pf::ReadWholeFile(out, text) && !text.empty(); }, 10000));
        QCOMPARE(QString::fromStdString(text), QString("1.414\n"));
    }

    // A static library gets no skeleton question: its files come from the source-files
    // dialog, where the list shows them by name, once each, and Remove takes one out.
    void libraryFromTheSourceFilesDialog() {
        const std::string lib = base + "/work/lib";
        for (const char* f : {"a.c", "b.c", "a.h"})
            t->Write("work/lib/" + std::string(f), "int " + std::string(1, f[0]) + f[2] + ";\n");
        QStringList chooser;
        velt::gChooseSourceFiles = [&](const std::string& caption,
                                       const std::vector<velt::FileFilter>& filters, int row,
                                       const std::string& directory) {
            chooser << QString::fromStdString(caption + "|" + filters[row].pattern + "|" +
                                              directory);
            // At once all three; from "&Add..." one that is listed already.
            if (chooser.size() == 1)
                return std::vector<std::string>{lib + "/a.c", lib + "/b.c", lib + "/a.h"};
            return std::vector<std::string>{lib + "/a.c"};
        };
        windows.push_back({"QInputDialog", [](QWidget* w) {
                               static_cast<QInputDialog*>(w)->setTextValue("mylib");
                               static_cast<QInputDialog*>(w)->accept();
                           }});
        windows.push_back({"newProjectDialog", [&](QWidget* w) {
                               auto* path = Child<QLineEdit>(w, "projectPath");
                               path->setFocus();
                               QTest::keyClicks(path, QString::fromStdString(lib));
                               QTest::keyClick(path, Qt::Key_Tab);
                               Child<QRadioButton>(w, "type3")->click();
                               Child<QPushButton>(w, "create")->click();
                           }});
        windows.push_back({"sourceFilesDialog", [&](QWidget* w) {
                               QCOMPARE(w->windowTitle(),
                                        QString("Source files for project mylib"));
                               auto* list = Child<QListWidget>(w, "files");
                               auto rows = [list] {
                                   QStringList r;
                                   for (int i = 0; i < list->count(); ++i)
                                       r << list->item(i)->text();
                                   return r;
                               };
                               QCOMPARE(rows(), (QStringList{"A.C", "B.C", "A.H"}));
                               QCOMPARE(Child<QLabel>(w, "hint")->text(),
                                        QString("To remove a file from the project select its "
                                                "name and press \"Remove\""));
                               Shot(w, "new-project-source-files.png");
                               list->setCurrentRow(2);
                               Child<QPushButton>(w, "remove")->click();
                               Child<QPushButton>(w, "add")->click();
                               QCOMPARE(rows(), (QStringList{"A.C", "B.C"}));
                               Child<QPushButton>(w, "validate")->click();
                           }});
        windows.push_back({"buildSettingsWizard", [&](QWidget* w) {
                               auto* wizard = static_cast<QWizard*>(w);
                               wizard->next();
                               QVERIFY(Child<QCheckBox>(w, "staticLibrary")->isChecked());
                               QCOMPARE(Child<QLineEdit>(w, "libraries")->text(), QString());
                               wizard->button(QWizard::FinishButton)->click();
                           }});
        QVERIFY(Choose(velt::kCmdCreateProject));
        QVERIFY(windows.empty());
        const QString call = QString::fromStdString("Add source files to project|*.c|" + lib);
        QCOMPARE(chooser, (QStringList{call, call}));
        QVERIFY2(boxes.size() == 1, qPrintable(boxes.join("\n---\n")));  // the first start's
        QCOMPARE(frame->windowTitle(), QString("mylib"));
        QCOMPARE(velt::CurrentProject().files, (std::deque<std::string>{"A.C", "B.C"}));
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 2);
        std::string makefile;
        QVERIFY(pf::ReadWholeFile(lib + "/nimra/Makefile", makefile));
        QVERIFY(makefile.find("/bin/nimralib /OUT:") != std::string::npos);
    }
};

QTEST_MAIN(BuildLoopTest)
#include "build_loop_test.moc"
