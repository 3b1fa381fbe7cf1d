// The start with the real front-end hooks: the frame placed and filled from the settings
// (or their absence), the command line's project and quoted names, a second start handing
// its file to the first, the close that stores what the next start shows again, and the
// program itself answering the instance channel and timing its start.
#include <sys/stat.h>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <future>
#include <memory>

#include "frame_menus.h"
#include "frame_startup.h"
#include "main_window.h"
#include "output_pane_widget.h"
#include "platform/files.h"
#include "platform/instance_channel.h"
#include "platform/profile_store.h"
#include "project/project.h"
#include "qt_ui.h"
#include "recording_documents.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/instance.h"
#include "shell/shortcuts.h"
#include "shell/startup.h"
#include "splash.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::gui::FrameStartup;
using velt::gui::MainWindow;
using Names = std::vector<std::string>;

namespace {

// One start of the program in this process: its state and the real hooks.
struct Start {
    velt::StartupState st;
    FrameStartup hooks{st};

    velt::StartupOutcome Run(const std::vector<std::string>& args) {
        const velt::StartupOutcome outcome =
            velt::RunStartup(st, hooks, velt::CommandLineFromArguments(args));
        if (outcome == velt::StartupOutcome::Run) hooks.Listen();
        return outcome;
    }
    MainWindow& frame() { return *hooks.frame(); }
    ~Start() {
        hooks.StopListening();
        velt::RunShutdown(st, hooks);
    }
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<velt::testing::TempDir> t;
    std::unique_ptr<velt::testing::ScopedEnv> runtime;
    std::unique_ptr<velt::testing::ScopedCurrentDirectory> cwd;
    std::string base, root, start;

    void WriteSettings(const std::string& keys) {
        t->Write("root/lib/velt.prj", "[velt]\n" + keys);
        pf::ProfileForgetCache();
    }
    // A key's value in the stored settings; "(none)" when the key is not there.
    std::string Stored(const std::string& key) {
        pf::ProfileForgetCache();
        return pf::ProfileGetString(root + "/lib/velt.prj", "velt", key, "(none)");
    }
    static QSize DefaultSize() {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        return {avail.width() * 3 / 4, avail.height() * 3 / 4};
    }

  private slots:
    void init() {
        t = std::make_unique<velt::testing::TempDir>();
        base = std::filesystem::canonical(t->path()).string();
        root = base + "/root";
        start = base + "/start";
        for (const std::string& d : {root + "/lib", root + "/bin", start, base + "/run"})
            std::filesystem::create_directories(d);
        ::chmod((base + "/run").c_str(), 0700);
        runtime = std::make_unique<velt::testing::ScopedEnv>("XDG_RUNTIME_DIR", base + "/run");
        cwd = std::make_unique<velt::testing::ScopedCurrentDirectory>();
        QVERIFY(velt::RegisterDefaultRoot(root));
        t->Write("start/a.c", "int a;\n");
        t->Write("start/with blank.c", "int b;\n");
        pf::SetCurrentDirectory(start);
        pf::ProfileForgetCache();
        velt::ResetShortcuts();
    }
    void cleanup() {
        velt::ResetShortcuts();
        cwd.reset();
        runtime.reset();
        t.reset();
    }

    // No settings file: defaults everywhere; closing writes the file and the next start
    // puts the frame where it was.
    void startsWithoutSettingsAndKeepsThePlaceForTheNext() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        QSize size;
        {
            Start s;
            QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
            QVERIFY(!s.st.settingsFound);
            QVERIFY(s.st.instance.listening());
            MainWindow& frame = s.frame();
            QVERIFY(frame.isVisible());
            QVERIFY(!frame.isMaximized());
            QCOMPARE(frame.size(), DefaultSize());
            QCOMPARE(s.hooks.splashesShown(), 1);
            QVERIFY(!s.hooks.splash());  // closed again once the frame shows
            if (const QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR"); !dir.isEmpty()) {
                velt::gui::Splash splash;
                splash.showNow();
                splash.grab().save(dir + "/splash.png");
            }
            QCOMPARE(frame.menus()->action(velt::kCmdSave)->text(), QString("&Save\tCtrl+S"));
            QVERIFY(ui.boxes.empty());

            frame.resize(640, 480);
            frame.move(25, 35);
            QVERIFY(frame.close());
            size = frame.size();
        }
        QCOMPARE(Stored("FrameX"), std::string("25"));
        QCOMPARE(Stored("FrameY"), std::string("35"));
        QCOMPARE(Stored("FrameCX"), std::string("640"));
        QCOMPARE(Stored("FrameCY"), std::string("480"));
        QCOMPARE(Stored("FrameZoomed"), std::string("0"));

        Start again;
        QCOMPARE(again.Run({}), velt::StartupOutcome::Run);
        QVERIFY(again.st.settingsFound);
        QCOMPARE(again.frame().pos(), QPoint(25, 35));
        QCOMPARE(again.frame().size(), size);
    }

    void startsFromStoredSettings() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        // Save moved to Ctrl+W (row 18 of the table), a large font, a tall output pane.
        WriteSettings(
            "FrameX=30\nFrameY=40\nFrameCX=700\nFrameCY=500\nFrameZoomed=0\n"
            "FontHeight=-24\nOutputWndHeight=150\n"
            "Accelerators=1\nAccel1=  18  871103  17\n"
            "OpenFiles=2\nOpenFile1=" +
            start +
            "/a.c 3 0 0 400 300\n"
            "OpenFile2=untitled 1 0 0 400 300\n");
        Start s;
        QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
        MainWindow& frame = s.frame();
        QCOMPARE(frame.pos(), QPoint(30, 40));
        QCOMPARE(frame.size(), QSize(700, 500));
        QCOMPARE(docs.opened, Names{start + "/a.c"});
        const int avg = QFontMetrics(velt::gui::EditorFont(s.st.settings)).averageCharWidth();
        QCOMPARE(frame.minimumSize(), QSize(30 * avg, 30 * avg));
        QCOMPARE(frame.outputPane()->height(), 150);

        QCOMPARE(frame.menus()->action(velt::kCmdSave)->text(), QString("&Save\tCtrl+W"));
        std::vector<unsigned> seen;
        velt::FrameCommands().Register(
            velt::kCmdSave,
            [&](const velt::CommandCall& c) {
                seen.push_back(c.id);
                return std::intptr_t{0};
            },
            &seen);
        QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(&frame, Qt::Key_W, Qt::ControlModifier);
        velt::FrameCommands().Unregister(&seen);
        QCOMPARE(seen, std::vector<unsigned>{velt::kCmdSave});
        QVERIFY(ui.boxes.empty());
    }

    void storedMaximisedOrOffScreenPlaces() {
        velt::testing::ScriptedUi ui;
        WriteSettings("FrameX=30\nFrameY=40\nFrameCX=700\nFrameCY=500\nFrameZoomed=1\n");
        {
            Start s;
            QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
            QVERIFY(s.frame().isMaximized());
            // The normal place stays the stored one, for the next save.
            QCOMPARE(s.frame().normalRect(), QRect(30, 40, 700, 500));
            QCOMPARE(s.frame().saveContext().frameZoomed, 1);
            QCOMPARE(s.frame().saveContext().frameCX, 700);
        }
        // A place on a screen that is no longer there.
        WriteSettings("FrameX=9000\nFrameY=7000\nFrameCX=700\nFrameCY=500\n");
        Start s;
        QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
        QCOMPARE(s.frame().size(), DefaultSize());
        QVERIFY(
            QGuiApplication::primaryScreen()->availableGeometry().contains(s.frame().geometry()));
    }

    void commandLineProjectOpensNoFiles() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        WriteSettings("OpenFiles=1\nOpenFile1=" + start + "/a.c 3 0 0 400 300\n");
        Start s;
        QCOMPARE(s.Run({"/prj:Demo.prj"}), velt::StartupOutcome::Run);
        QCOMPARE(s.st.options.project, std::string("demo.prj"));
        QVERIFY(docs.opened.empty());  // neither the line's files nor the session
        QVERIFY(!s.st.settings.saveEnabled);
        QCOMPARE(s.hooks.splashesShown(), 1);
        QVERIFY(s.frame().isVisible());
        // A name the projects table does not hold opens nothing, and nothing is said.
        QVERIFY(ui.boxes.empty());
        QVERIFY(!velt::ProjectIsOpen());
    }

    void commandLineQuotedNamesOpenWhole() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        Start s;
        QCOMPARE(s.Run({"/w", "with blank.c", "A.C", "nothere.c"}), velt::StartupOutcome::Run);
        QCOMPARE(docs.opened, (Names{start + "/with blank.c", start + "/a.c"}));
        QCOMPARE(docs.maximised, 1);
        QCOMPARE(s.hooks.splashesShown(), 0);
        QCOMPARE(ui.Texts(), Names{"[nothere.c]: incorrect file name"});
    }

    void secondInstanceHandsItsFileToTheFirst() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        WriteSettings(
            "FrameX=30\nFrameY=40\nFrameCX=700\nFrameCY=500\n"
            "OpenFiles=1\nOpenFile1=" +
            start + "/a.c 3 0 0 400 300\n");
        Start first;
        QCOMPARE(first.Run({}), velt::StartupOutcome::Run);
        QVERIFY(first.st.instance.listening());
        QCOMPARE(docs.opened, Names{start + "/a.c"});

        // A second start sees the first: default place, no session.
        {
            Start second;
            QCOMPARE(second.Run({}), velt::StartupOutcome::Run);
            QVERIFY(second.st.options.anotherInstance);
            QCOMPARE(second.frame().size(), DefaultSize());
            QCOMPARE(docs.opened, Names{start + "/a.c"});
            second.frame().close();
        }

        // velt-cli's way: the name in the shared block, request 3501 on the socket.
        const int maximised = docs.maximised;
        auto sent = std::async(std::launch::async,
                               [this] { return velt::SendOpenRequest(start + "/with blank.c"); });
        QTRY_VERIFY(sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        QCOMPARE(sent.get(), velt::OpenRequestResult::Opened);
        QCOMPARE(docs.opened.back(), start + "/with blank.c");
        QCOMPARE(docs.maximised, maximised + 1);

        // 3503: the frame's client size.
        auto size = std::async(std::launch::async, [] {
            std::int64_t reply = 0;
            pf::SendInstanceMessage({velt::kRequestClientSize, 0, 0}, reply, 5000);
            return reply;
        });
        QTRY_VERIFY(size.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        const QSize client = first.frame().centralWidget()->size();
        QVERIFY(client.width() > 0);
        QCOMPARE(size.get(), (std::int64_t{client.height()} << 16) | client.width());
    }

    // Two modified documents: one question listing both; Cancel keeps the frame open and
    // stores nothing, Forget closes and stores the session without the internal buffer.
    void modifiedDocumentsAreAskedAboutOnceAtClose() {
        velt::testing::RecordingDocuments docs;
        Start s;
        velt::gui::QtUi ui(nullptr);
        velt::Ui* previous = velt::SetUi(&ui);
        QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
        ui.setFrame(&s.frame());
        docs.docs = {{start + "/a.c", true}, {"untitled", true, true}, {start + "/b.c", true}};

        QStringList listed;
        int dialogs = 0;
        auto answer = [&](const char* button) {
            QTimer::singleShot(0, [&, button] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QString("Modified files"));
                ++dialogs;
                listed.clear();
                auto* names = dialog->findChild<QListWidget*>("names");
                for (int i = 0; i < names->count(); ++i) listed << names->item(i)->text();
                dialog->findChild<QPushButton*>(button)->click();
            });
        };

        answer("cancel");
        QVERIFY(!s.frame().close());
        QCOMPARE(dialogs, 1);
        QCOMPARE(listed, (QStringList{Q(start + "/a.c"), Q(start + "/b.c")}));
        QVERIFY(s.frame().isVisible());
        QVERIFY(!std::filesystem::exists(root + "/lib/velt.prj"));

        answer("forget");
        QVERIFY(s.frame().close());
        QCOMPARE(dialogs, 2);
        QVERIFY(docs.saved.empty());
        QCOMPARE(Stored("OpenFiles"), std::string("2"));
        QCOMPARE(velt::SessionEntryName(Stored("OpenFile1")), start + "/a.c");
        QCOMPARE(velt::SessionEntryName(Stored("OpenFile2")), start + "/b.c");
        QCOMPARE(Stored("CurrentFile"), start + "/a.c");
        velt::SetUi(previous);
    }

    // A settings file that cannot be written does not keep the program open, but says so.
    void anUnwritableSettingsFileIsReported() {
        velt::testing::ScriptedUi ui;
        Start s;
        QCOMPARE(s.Run({}), velt::StartupOutcome::Run);
        std::filesystem::remove_all(root + "/lib");
        ui.Answer(velt::kIdOk);
        QVERIFY(s.frame().close());
        QCOMPARE(ui.boxes.size(), std::size_t(1));
        QVERIFY(ui.boxes[0].text.find("Impossible to open") == 0);
    }

    // The program itself: the timing switch, and the channel answered from its event loop.
    void theProgramTimesItsStartAndAnswersTheChannel() {
        const QString binary = qEnvironmentVariable("VELT_BINARY");
        if (binary.isEmpty()) QSKIP("VELT_BINARY is not set");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", Q(base + "/run"));
        env.insert("XDG_CONFIG_HOME", qEnvironmentVariable("XDG_CONFIG_HOME"));
        // Without a projects table the first start stops at the notice that it made one.
        t->Write("root/lib/projects.ini", "[Projects]\n");

        QProcess timed;
        timed.setProcessEnvironment(env);
        timed.start(binary, {"--quit-when-idle"});
        QVERIFY2(timed.waitForStarted(), qPrintable(binary));
        QVERIFY(timed.waitForFinished(20000));
        QCOMPARE(timed.exitStatus(), QProcess::NormalExit);
        QCOMPARE(timed.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(timed.readAllStandardOutput());
        QVERIFY2(QRegularExpression("^startup: \\d+\\.\\d{3} s\\n$").match(out).hasMatch(),
                 qPrintable(out));
        // A measuring run leaves the settings alone.
        QVERIFY(!std::filesystem::exists(root + "/lib/velt.prj"));

        QProcess running;
        running.setProcessEnvironment(env);
        running.start(binary, {"/w"});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(pf::InstanceRunning(), 20000);
        std::int64_t reply = 0;
        QCOMPARE(pf::SendInstanceMessage({velt::kRequestClientSize, 0, 0}, reply, 5000),
                 pf::SendResult::Answered);
        QVERIFY((reply & 0xFFFF) > 0 && (reply >> 16) > 0);
        running.terminate();
        QVERIFY(running.waitForFinished(10000));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
