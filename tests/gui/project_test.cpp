// Projects in the frame, as a user meets them: a project chosen in the list opens with its
// windows back where they were and its name in the title; closing it asks about the modified
// files and saves as answered; the recent projects of the Project menu open it again. Also the
// document information dialog with a project file's processor, and the Project page.
#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "config_dialog.h"
#include "editor/editing.h"
#include "editor_harness.h"
#include "frame_menus.h"
#include "frame_startup.h"
#include "platform/files.h"
#include "project/file_processors.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "project/project_page.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/menu_model.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/strutil.h"

namespace pf = velt::platform;

class ProjectGuiTest : public QObject, public velt::testing::EditorHarness {
    Q_OBJECT

    template <class T>
    static T* Child(QWidget* parent, const char* name) {
        T* child = parent->findChild<T*>(name);
        if (!child) qFatal("no widget named %s", name);
        return child;
    }

    // Runs `act` on the modal window named `name` as soon as it is up.
    void WhenModal(const QString& name, std::function<void(QWidget*)> act) {
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, name, act] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w->objectName() != name) return;
            timer->stop();
            timer->deleteLater();
            act(w);
        });
        timer->start();
    }
    void Shot(QWidget* w, const QString& file) {
        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) QVERIFY(w->grab().save(dir + "/" + file));
    }
    QStringList WindowTitles() {
        QStringList titles;
        for (QMdiSubWindow* w : frame->mdiArea()->subWindowList()) titles << w->windowTitle();
        titles.sort();
        return titles;
    }
    velt::EditView* ViewOf(const std::string& name) {
        for (velt::EditView* v = velt::FirstView(); v; v = v->next)
            if (v->document && v->document->name == name) return v;
        return nullptr;
    }
    std::string Key(const std::string& key) {
        pf::ProfileForgetCache();
        return pf::ProfileGetString(work + "/beta.prj", "beta", key, "(none)");
    }
    std::string Disk(const std::string& name) {
        std::string bytes;
        pf::ReadWholeFile(name, bytes);
        return bytes;
    }

    std::string root, work, mainC, utilC;
    int left = 0, top = 0;

  private slots:
    void init() {
        StartEditor([](velt::GlobalSettings& s) { s.saveEnabled = true; });
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        root = *t / "root";
        work = std::filesystem::canonical(t->path()).string() + "/work";
        st->root = root;
        pf::CreateDirectory(root);
        pf::CreateDirectory(root + "/lib");
        mainC = t->Write("work/main.c", "int main(void)\n{\n    return 0;\n}\n");
        utilC = t->Write("work/util.c", "int util;\n");
        mainC = work + "/main.c";
        utilC = work + "/util.c";
        const QPoint at = frame->mdiArea()->viewport()->mapToGlobal(QPoint(30, 20));
        left = at.x();
        top = at.y();
        t->Write("work/beta.prj",
                 "; Velt project file. Syntax: Name = value\n[beta]\n"
                 "ProjectPath=" +
                     work + "\nSourcesDir=" + work +
                     "\nOpenFiles=2\n"
                     "OpenFile1=\"" +
                     mainC + "\" 3 " + std::to_string(left) + " " + std::to_string(top) + " " +
                     std::to_string(left + 360) + " " + std::to_string(top + 220) +
                     "\n"
                     "OpenFile2=\"" +
                     utilC +
                     "\" 1 0 0 0 0\n"
                     "CurrentFile=" +
                     mainC +
                     "\nPrjFiles=2\nFile1=MAIN.C\nFile2=UTIL.C\n"
                     "Exe=beta.exe\nMakeName=make\nMakeDir=" +
                     work + "\n");
        t->Write("work/alpha.prj", "; Velt project file. Syntax: Name = value\n[alpha]\n");
        t->Write("root/lib/projects.ini",
                 "[Projects]\nbeta=" + work + "/beta.prj\nalpha=" + work + "/alpha.prj\n");
        velt::ClearSettingsParts();
        velt::InstallProjects(st->settings);
        velt::SetProjectsRoot(root);
        velt::ReadProjectsTable(false);
    }
    void cleanup() {
        // A start of its own may have failed half-way: the harness's frame and settings again.
        ui->setFrame(frame.get());
        velt::SetProjectSettings(&st->settings);
        st->settings.saveEnabled = false;
        WhenModal("ModifiedFiles", [](QWidget* w) { Child<QPushButton>(w, "forget")->click(); });
        velt::CloseCurrentProject();
        velt::UninstallProjects();
        velt::ClearSettingsParts();
        velt::ResetProjectsTable();
        StopEditor();
    }

    void openModifyCloseAndReopen() {
        QCOMPARE(frame->windowTitle(), QString("Velt"));
        QVERIFY(!velt::IsCommandEnabled(velt::kCmdCloseProject));

        // Open: the list, OK waiting for a choice, then beta.
        bool shown = false;
        WhenModal("projectListDialog", [&](QWidget* w) {
            shown = true;
            QCOMPARE(w->windowTitle(), QString("Open a project"));
            auto* list = Child<QListWidget>(w, "projectNames");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), QString("alpha"));
            QCOMPARE(list->item(1)->text(), QString("beta"));
            auto* ok = Child<QPushButton>(w, "ok");
            QCOMPARE(ok->text(), QString("Open"));
            QVERIFY(!ok->isEnabled());
            QCOMPARE(Child<QCheckBox>(w, "newWindow")->text(),
                     QString("Open project in a new editor window and keep current project open"));
            list->setCurrentRow(1);
            QVERIFY(ok->isEnabled());
            Shot(w, "project-open-list.png");
            ok->click();
        });
        velt::DispatchCommand(velt::kCmdOpenProject);
        QVERIFY(shown);

        QCOMPARE(frame->windowTitle(), QString("beta"));
        // Titled before the project directory is entered, relative to the start directory.
        QCOMPARE(WindowTitles(), (QStringList{"work/main.c", "work/util.c"}));
        velt::EditView* view = ViewOf(mainC);
        QVERIFY(view);
        QCOMPARE(velt::CurrentView(), view);
        QCOMPARE(velt::CursorLineNumber(*view), 3);
        // Where it was saved, in screen coordinates.
        QMdiSubWindow* window = ui->documentWindow(view);
        QCOMPARE(window->size(), QSize(360, 220));
        QCOMPARE(frame->mdiArea()->viewport()->mapToGlobal(window->pos()), QPoint(left, top));
        QVERIFY(velt::IsCommandEnabled(velt::kCmdCloseProject));
        Shot(frame.get(), "project-open-frame.png");

        // A change, then Close: Cancel keeps everything.
        ui->editorWindow(view)->setFocus();
        QTest::keyClicks(ui->editorWindow(view), "x");
        QVERIFY(view->document->flags & velt::kDocModified);
        WhenModal("ModifiedFiles", [&](QWidget* w) {
            Shot(w, "project-close-question.png");
            Child<QPushButton>(w, "cancel")->click();
        });
        velt::DispatchCommand(velt::kCmdCloseProject);
        QVERIFY(velt::ProjectIsOpen());
        QCOMPARE(frame->windowTitle(), QString("beta"));

        // Forget: closed unsaved, the windows recorded in the project file.
        WhenModal("ModifiedFiles", [](QWidget* w) { Child<QPushButton>(w, "forget")->click(); });
        velt::DispatchCommand(velt::kCmdCloseProject);
        QVERIFY(!velt::ProjectIsOpen());
        QCOMPARE(frame->windowTitle(), QString("Velt"));
        QVERIFY(frame->mdiArea()->subWindowList().isEmpty());
        QCOMPARE(Disk(mainC), std::string("int main(void)\n{\n    return 0;\n}\n"));
        QCOMPARE(Key("OpenFiles"), std::string("2"));
        const std::string place = std::to_string(left) + " " + std::to_string(top) + " " +
                                  std::to_string(left + 360) + " " + std::to_string(top + 220);
        const std::string first = Key("OpenFile1"), second = Key("OpenFile2");
        QVERIFY2(
            first == "\"" + mainC + "\" 3 " + place || second == "\"" + mainC + "\" 3 " + place,
            (first + " / " + second).c_str());
        QCOMPARE(Key("CurrentFile"), mainC);
        QCOMPARE(Key("Name"), std::string("beta"));
        QVERIFY(Key("Frame") != "(none)");

        // The recent projects of the Project menu: beta first; choosing it opens it again.
        frame->menus()->rebuild(velt::kProjectMenu);
        QAction* recent = frame->menus()->action(velt::kCmdRecentProjectFirst);
        QVERIFY(recent);
        QCOMPARE(recent->text(), QString("&1 beta"));
        QCOMPARE(frame->menus()->action(velt::kCmdRecentProjectFirst + 1)->text(),
                 QString("&2 alpha"));
        recent->trigger();
        QCOMPARE(frame->windowTitle(), QString("beta"));
        view = ViewOf(mainC);
        QVERIFY(view);
        QCOMPARE(velt::CursorLineNumber(*view), 3);

        // Save all: closed with the change on disk.
        ui->editorWindow(view)->setFocus();
        QTest::keyClicks(ui->editorWindow(view), "y");
        WhenModal("ModifiedFiles", [](QWidget* w) { Child<QPushButton>(w, "saveAll")->click(); });
        velt::DispatchCommand(velt::kCmdCloseProject);
        QVERIFY(!velt::ProjectIsOpen());
        QVERIFY(Disk(mainC).find('y') != std::string::npos);
    }

    // The start opens the project the command line names, or else the last session's, with
    // its windows in the new frame and its name in the title.
    void startupOpensTheNamedOrTheLastProject() {
        velt::UninstallProjects();
        const std::string runtime = *t / "run";
        pf::CreateDirectory(runtime);
        ::chmod(runtime.c_str(), 0700);
        velt::testing::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime);
        QVERIFY(velt::RegisterDefaultRoot(root));
        for (const bool fromLine : {true, false}) {
            velt::StartupState s;
            velt::ClearSettingsParts();
            velt::InstallProjects(s.settings, &s.options);
            velt::ReleaseCurrentProject();
            velt::SetCurrentProjectName("");
            {
                velt::gui::FrameStartup hooks(s, ui.get());
                const char* line = fromLine ? "/prj:beta" : "";
                QCOMPARE(velt::RunStartup(s, hooks, line), velt::StartupOutcome::Run);
                QCOMPARE(velt::CurrentProject().name, std::string("beta"));
                QCOMPARE(hooks.frame()->mdiArea()->subWindowList().size(), 2);
                if (fromLine) {
                    QVERIFY(!s.settings.saveEnabled);  // a start with a line keeps no session
                    // The line's start maximises the active window, whose title the frame's
                    // shows after the project's.
                    QCOMPARE(hooks.frame()->windowTitle(), QString("beta - [work/main.c]"));
                    hooks.frame()->mdiArea()->activeSubWindow()->showNormal();
                } else {
                    QVERIFY(s.settings.saveEnabled);
                }
                QCOMPARE(hooks.frame()->windowTitle(), QString("beta"));
                // What the next start finds: this project as the current one.
                s.settings.saveEnabled = true;
                QVERIFY(hooks.frame()->close());
                velt::CloseCurrentProject();
                hooks.StopListening();
                velt::RunShutdown(s, hooks);
            }
            velt::UninstallProjects();
        }
        ui->setFrame(frame.get());
        velt::ClearSettingsParts();
        velt::InstallProjects(st->settings);
        velt::SetProjectsRoot(root);
        velt::ReadProjectsTable(false);
    }

    void documentInformationEditsTheProcessor() {
        QVERIFY(velt::OpenProjectByName("beta"));
        velt::EditView* view = ViewOf(mainC);
        QVERIFY(view);
        ui->documentWindow(view)->showMaximized();
        // A title set while a window is maximised stays once it is restored.
        velt::ProjectWindows().setFrameTitle("other");
        QCOMPARE(frame->windowTitle(), QString("other - [work/main.c]"));
        ui->documentWindow(view)->showNormal();
        QCOMPARE(frame->windowTitle(), QString("other"));
        ui->documentWindow(view)->showMaximized();
        bool shown = false;
        WhenModal("documentInformationDialog", [&](QWidget* w) {
            shown = true;
            QCOMPARE(w->windowTitle(), QString::fromStdString("Information about '" + mainC + "'"));
            QVERIFY(
                Child<QLabel>(w, "information")->text().startsWith(QString::fromStdString(mainC)));
            auto* command = Child<QLineEdit>(w, "processorCommand");
            auto* output = Child<QLineEdit>(w, "processorOutput");
            QCOMPARE(command->text(), QString("nimra.exe"));
            QCOMPARE(output->text(), QString("main.obj"));
            Shot(w, "document-information.png");
            command->setText("cc -c");
            output->clear();
            QString told;
            WhenModal("", [&told](QWidget* box) {
                told = qobject_cast<QMessageBox*>(box) ? qobject_cast<QMessageBox*>(box)->text()
                                                       : QString();
                qobject_cast<QDialog*>(box)->accept();
            });
            auto* ok = w->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok);
            ok->click();
            QCOMPARE(told, QString("You must enter the name of the output file that this "
                                   "processor will produce"));
            QVERIFY(w->isVisible());
            output->setText("main.o");
            ok->click();
        });
        velt::DispatchCommand(velt::kCmdFileInformation);
        QVERIFY(shown);
        const velt::FileProcessor* fp = velt::FindFileProcessor(velt::CurrentProject(), mainC);
        QVERIFY(fp);
        QCOMPARE(fp->command + "|" + fp->output, std::string("cc -c|main.o"));
    }

    void projectPageInTheConfiguration() {
        QVERIFY(velt::OpenProjectByName("beta"));
        velt::testing::ScriptedUi boxes;
        velt::ConfigContext ctx(st->settings, st->root);
        ctx.sheet = velt::ProjectSheetState();
        velt::gui::ConfigDialog dialog(ctx, frame.get());
        QCOMPARE(dialog.tabs()->tabText(1), QString("Project"));
        QWidget* page = Child<QWidget>(&dialog, "projectPage");
        dialog.tabs()->setCurrentWidget(page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(Child<QLineEdit>(page, "projectName")->text(), QString("beta"));
        QCOMPARE(Child<QLineEdit>(page, "projectType")->text(), QString("Windows application"));
        QCOMPARE(Child<QLineEdit>(page, "outputFile")->text(), QString("beta.exe"));
        QCOMPARE(Child<QLabel>(page, "makeDirectoryNote")->text(),
                 QString("Directory where the object files are generated"));
        Shot(&dialog, "config-project.png");

        auto* makeDir = Child<QLineEdit>(page, "makeDirectory");
        makeDir->setText(QString::fromStdString(work + "/nowhere"));
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.tabs()->currentWidget(), page);
        QCOMPARE(boxes.Texts(),
                 std::vector<std::string>{"Directory " + work + "/nowhere doesn't exist"});
        makeDir->setText(QString::fromStdString(work));
        Child<QLineEdit>(page, "makeCommand")->setText("/bin/sh -c make");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(velt::CurrentProject().make->makeName, std::string("/bin/sh -c make"));
        QCOMPARE(velt::CurrentProject().make->makeDir, velt::AsciiUpper(work));
        // The sheet closed with a project open: the project was saved with the settings.
        QCOMPARE(Key("MakeName"), std::string("/bin/sh -c make"));
    }
};

QTEST_MAIN(ProjectGuiTest)
#include "project_test.moc"
