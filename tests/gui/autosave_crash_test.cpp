// A crash and the next start: a separate process runs the front end as the program does,
// opens two files, has keys typed into both editor windows, lets the autosave timer fire and
// kills itself with SIGKILL. The next start offers the two copies in the restore dialog,
// puts both texts back byte for byte under their own names, and a normal end afterwards
// leaves the autosave directory empty.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "editor/autosave.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor_window.h"
#include "frame_startup.h"
#include "main_window.h"
#include "platform/profile_store.h"
#include "qt_ui.h"
#include "scoped_env.h"
#include "shell/command_line.h"
#include "shell/compiler_root.h"
#include "shell/startup.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr char kChildSwitch[] = "--autosave-crash-child";
const std::string kTextA = "int a;\r\nint b;\r\n";
const std::string kTextB = "void f(void) {}\r\n";
// What the keys below make of them.
const std::string kEditedA = "// edited\r\nint a;\r\nint b;\r\n";
const std::string kEditedB = "void f(void) {}  \r\nreturn;\r\n";

velt::EditView* ViewOf(const std::string& name) {
    velt::Document* doc = velt::FindDocument(name, false);
    for (velt::EditView* v = velt::FirstView(); v; v = v->next)
        if (doc && v->document == doc) return v;
    return nullptr;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The child: the program's start with two files on the command line, the keys, one tick of
// the real timer, then the crash. Any other end is a failure the parent reports.
int RunCrashChild(const std::string& a, const std::string& b) {
    velt::StartupState st;
    velt::gui::QtUi ui(nullptr);
    velt::SetUi(&ui);
    velt::InstallEditor(st.settings);
    velt::gui::FrameStartup hooks(st, &ui);
    if (velt::RunStartup(st, hooks, velt::CommandLineFromArguments({a, b})) !=
        velt::StartupOutcome::Run) {
        std::fprintf(stderr, "child: the start failed\n");
        return 2;
    }
    hooks.Listen();
    if (!QTest::qWaitForWindowExposed(hooks.frame()) || !hooks.autosaveTimer()->isActive()) {
        std::fprintf(stderr, "child: no frame or no autosave timer\n");
        return 3;
    }
    auto typeInto = [&](const std::string& name, auto keys) {
        velt::EditView* v = ViewOf(name);
        velt::gui::EditorWindow* e = v ? ui.editorWindow(v) : nullptr;
        if (!e) return false;
        ui.ActivateDocumentWindow(v);
        QCoreApplication::processEvents();
        keys(e);
        return true;
    };
    const bool typed = typeInto(a,
                                [](QWidget* e) {
                                    QTest::keyClicks(e, "// edited");
                                    QTest::keyClick(e, Qt::Key_Return);
                                }) &&
                       typeInto(b, [](QWidget* e) {
                           QTest::keyClick(e, Qt::Key_End);
                           QTest::keyClicks(e, "  ");
                           QTest::keyClick(e, Qt::Key_Return);
                           QTest::keyClicks(e, "return;");
                       });
    if (!typed) {
        std::fprintf(stderr, "child: no editor window to type into\n");
        return 4;
    }
    // The real timer, sooner than three minutes.
    hooks.autosaveTimer()->setInterval(20);
    if (!QTest::qWaitFor([] { return velt::FrameStatusPane().Text() == "2 files autosaved"; },
                         10000)) {
        std::fprintf(stderr, "child: no tick (status \"%s\")\n",
                     velt::FrameStatusPane().Text().c_str());
        return 5;
    }
    ::kill(::getpid(), SIGKILL);
    return 6;
}

}  // namespace

class AutosaveCrashTest : public QObject {
    Q_OBJECT

    std::unique_ptr<velt::testing::TempDir> t;
    std::unique_ptr<velt::testing::ScopedEnv> runtime;
    std::unique_ptr<velt::testing::ScopedCurrentDirectory> cwd;
    std::string root, fileA, fileB;

    std::string AutosaveDir() const { return root + "/veltautosave"; }
    std::vector<std::string> Copies() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(AutosaveDir()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    static std::string Text(const velt::Document& doc) {
        std::string out;
        for (const velt::Line* l : velt::Lines(doc)) out += velt::LineString(l) + "\r\n";
        return out;
    }

  private slots:
    void init() {
        t = std::make_unique<velt::testing::TempDir>();
        const std::string base = fs::canonical(t->path()).string();
        root = base + "/root";
        for (const std::string& d : {root + "/lib", root + "/bin", base + "/start", base + "/run"})
            fs::create_directories(d);
        ::chmod((base + "/run").c_str(), 0700);
        runtime = std::make_unique<velt::testing::ScopedEnv>("XDG_RUNTIME_DIR", base + "/run");
        cwd = std::make_unique<velt::testing::ScopedCurrentDirectory>();
        QVERIFY(velt::RegisterDefaultRoot(root));
        // Autosave on (bit 64 with the defaults of a first start).
        t->Write("root/lib/velt.prj", "[velt]\nEditorFlags=111\n");
        fileA = t->Write("start/first.c", kTextA);
        fileB = t->Write("start/second.c", kTextB);
        velt::platform::SetCurrentDirectory(base + "/start");
        velt::platform::ProfileForgetCache();
    }
    void cleanup() {
        cwd.reset();
        runtime.reset();
        t.reset();
    }

    void bothTextsComeBackAfterAKill() {
        // ---- The session that crashes.
        const std::string self = QCoreApplication::applicationFilePath().toStdString();
        std::vector<std::string> args{self, kChildSwitch, fileA, fileB};
        std::vector<char*> argv;
        for (std::string& s : args) argv.push_back(s.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        QCOMPARE(::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                QFAIL("the crashing session hung");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
                 qPrintable(QString("child ended with status %1").arg(status)));
        QCOMPARE(Copies(), (std::vector<std::string>{"first.c", "second.c"}));
        // Nothing was saved: the files still hold the old texts.
        QCOMPARE(Slurp(fileA), kTextA);
        QCOMPARE(Slurp(fileB), kTextB);
        velt::platform::ProfileForgetCache();

        // ---- The next start, answering the restore dialog and the notice after it.
        QStringList rows, boxes;
        QTimer answerer;
        answerer.setInterval(20);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (modal->objectName() == "AutosaveRestore") {
                auto* dialog = qobject_cast<QDialog*>(modal);
                if (!rows.isEmpty()) return;
                rows << dialog->windowTitle();
                auto* list = dialog->findChild<QListWidget*>("names");
                for (int i = 0; list && i < list->count(); ++i) rows << list->item(i)->text();
                for (auto* b : dialog->findChildren<QPushButton*>())
                    if (b->isVisibleTo(dialog)) rows << "button " + b->text();
                const QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
                if (!dir.isEmpty() && QDir().mkpath(dir))
                    dialog->grab().save(dir + "/autosave_restore.png");
                dialog->findChild<QPushButton*>("restore")->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes << box->text();
                box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click()
                                             : box->reject();
            }
        });
        answerer.start();

        velt::StartupState st;
        velt::gui::QtUi ui(nullptr);
        // However the checks end, the next test finds no documents and its own Ui.
        struct Restore {
            velt::Ui* previousUi;
            ~Restore() {
                velt::UninstallEditor();
                velt::ForgetDocumentWindows();
                velt::ReleaseAllDocuments();
                velt::SetUi(previousUi);
            }
        } restore{velt::SetUi(&ui)};
        velt::InstallEditor(st.settings);
        {
            velt::gui::FrameStartup hooks(st, &ui);
            QCOMPARE(velt::RunStartup(st, hooks, ""), velt::StartupOutcome::Run);
            answerer.stop();
            QCOMPARE(rows.size(), 5);
            QCOMPARE(rows[0], QString("Restore auto saved files"));
            QVERIFY2(rows[1].startsWith(QString::fromStdString(fileA).toLower() + " "),
                     qPrintable(rows[1]));
            QVERIFY2(rows[2].startsWith(QString::fromStdString(fileB).toLower() + " "),
                     qPrintable(rows[2]));
            QCOMPARE(rows[3], QString("button Restore"));  // "&Forget" is hidden
            QCOMPARE(rows[4], QString("button &Cancel"));
            QCOMPARE(boxes, QStringList{"Autosaved files restored in the editor"});
            QVERIFY(hooks.autosaveTimer()->isActive());
            QVERIFY(Copies().empty());

            for (const auto& [name, edited] : {std::pair{fileA, kEditedA}, {fileB, kEditedB}}) {
                velt::EditView* v = ViewOf(name);
                QVERIFY2(v, name.c_str());
                const std::string text = Text(*v->document);
                const std::size_t header = text.find("\r\n") + 2;
                QVERIFY2(text.rfind("Autosaved " + name + " ", 0) == 0, text.c_str());
                QCOMPARE(text.substr(header), edited);
                QVERIFY(v->document->flags & velt::kDocModified);
                QVERIFY(ui.documentWindow(v)->windowTitle().endsWith('*'));
            }

            // This session's own copies go at a normal end.
            QCOMPARE(velt::AutosaveTick(), 2);
            QCOMPARE(Copies().size(), std::size_t(2));
            hooks.StopListening();
            velt::RunShutdown(st, hooks);
            QVERIFY(Copies().empty());
            QVERIFY(!hooks.autosaveTimer()->isActive());
        }
    }
};

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], kChildSwitch) == 0) {
        const std::string a = argv[2], b = argv[3];
        QApplication app(argc, argv);
        return RunCrashChild(a, b);
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    AutosaveCrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "autosave_crash_test.moc"
