// The frame: its windows and panes, the menu bar built from the core's model and kept in
// step with the dispatcher, the status and output panes drawn from the core, the frame's
// own commands, and the boxes that reach the user through the Ui.
#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "frame_menus.h"
#include "main_window.h"
#include "output_pane_widget.h"
#include "qt_ui.h"
#include "recording_documents.h"
#include "scripted_ui.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/frame_messages.h"
#include "shell/menu_model.h"
#include "shell/msgbox.h"
#include "shell/output_pane.h"
#include "shell/status_pane.h"
#include "status_pane_widget.h"

using velt::gui::MainWindow;

namespace {

QString ScreenshotDir() {
    QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
    if (!dir.isEmpty()) QDir().mkpath(dir);
    return dir;
}

// Opens menu `index` of the bar the way a click on its title does.
QMenu* OpenMenu(MainWindow& frame, std::size_t index) {
    QMenu* menu = frame.menus()->menu(index);
    frame.menuBar()->setActiveAction(menu->menuAction());
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); })) return nullptr;
    return menu;
}

}  // namespace

// Receives the help page the frame asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

class FrameTest : public QObject {
    Q_OBJECT

    // Records the commands that reach the handlers registered through it.
    struct Recorder {
        std::vector<unsigned> seen;
        void Register(unsigned id) {
            velt::FrameCommands().Register(
                id,
                [this](const velt::CommandCall& c) {
                    seen.push_back(c.id);
                    return std::intptr_t{0};
                },
                this);
        }
        ~Recorder() { velt::FrameCommands().Unregister(this); }
    };

  private slots:
    void init() {
        velt::FrameStatusPane().Reset();
        velt::FrameOutputPane().Reset();
    }

    void showsFrameWithItsPanesAndSavesScreenshots() {
        MainWindow frame;
        velt::gui::QtUi ui(&frame);
        velt::Ui* previous = velt::SetUi(&ui);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.objectName(), QString("clMDIFrame"));
        QVERIFY(frame.findChild<QMdiArea*>("MDIClient"));
        auto* status = frame.findChild<velt::gui::StatusPaneWidget*>("VeltOutput");
        QVERIFY(status);
        // The status pane runs along the bottom, below the output pane.
        QCOMPARE(
            status->mapTo(&frame, QPoint(0, status->height())).y(),
            frame.centralWidget()->mapTo(&frame, QPoint(0, frame.centralWidget()->height())).y());
        QVERIFY(frame.outputPane()->mapTo(&frame, QPoint()).y() >
                frame.mdiArea()->mapTo(&frame, QPoint()).y());
        QCOMPARE(frame.outputPane()->count(), 2);
        QCOMPARE(frame.outputPane()->tabText(0), QString("build"));
        QCOMPARE(frame.outputPane()->tabText(1), QString("search"));

        QStringList titles;
        for (QAction* a : frame.menuBar()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Search", "&Project", "&Resources",
                                      "&Compiler", "&Utils", "&Versions", "&Window", "&Help"}));

        velt::SendFrameMessage(velt::FrameMessage::PositionText, 0, velt::TextParam("12:5"));
        velt::SendFrameMessage(velt::FrameMessage::Notice, 0, velt::TextParam("Ready"));
        velt::FrameOutputPane().Append(velt::kBuildPage,
                                       "nimra -c hello.c\nhello.c: 0 errors, 0 warnings");

        const QString dir = ScreenshotDir();
        if (!dir.isEmpty()) QVERIFY(frame.grab().save(dir + "/frame.png"));

        // The File menu open, its Quit item highlighted: the item's help in the status pane.
        QMenu* file = OpenMenu(frame, velt::kFileMenu);
        QVERIFY(file);
        QAction* quit = frame.menus()->action(velt::kCmdQuit);
        file->setActiveAction(quit);
        QCOMPARE(status->messageText(), QString("Quit the editor."));
        if (!dir.isEmpty()) {
            QPixmap shot = frame.grab();
            QPainter painter(&shot);
            painter.drawPixmap(file->mapToGlobal(QPoint()) - frame.mapToGlobal(QPoint()),
                               file->grab());
            painter.end();
            QVERIFY(shot.save(dir + "/frame-menu.png"));
        }
        file->hide();
        QCOMPARE(status->messageText(), QString("Ready"));
        QCOMPARE(status->positionText(), QString("12:5"));
        velt::SetUi(previous);
    }

    // Items are enabled exactly when dispatching them would reach a handler; the key text is
    // only shown, never a Qt shortcut; a chosen item reaches its handler.
    void menusFollowTheDispatcher() {
        velt::testing::RecordingDocuments docs;
        MainWindow frame;
        frame.show();
        auto* menus = frame.menus();
        QAction* save = menus->action(velt::kCmdSave);
        QVERIFY(save);
        QCOMPARE(save->text(), QString("&Save\tCtrl+S"));
        for (std::size_t i = 0; i < menus->count(); ++i)
            for (QAction* a : menus->menu(i)->findChildren<QAction*>())
                QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->text()));

        QVERIFY(!menus->action(velt::kCmdMake)->isEnabled());  // nobody builds yet
        QVERIFY(!save->isEnabled());
        QVERIFY(menus->action(velt::kCmdQuit)->isEnabled());
        QVERIFY(menus->action(velt::kCmdAbout)->isEnabled());
        QVERIFY(menus->action(velt::kCmdProjectConfiguration)->isEnabled());
        // Cascade needs a document.
        QVERIFY(!menus->action(velt::kCmdCascade)->isEnabled());

        Recorder r;
        r.Register(velt::kCmdMake);
        r.Register(velt::kCmdSave);
        QMenu* compiler = OpenMenu(frame, velt::kCompilerMenu);
        QVERIFY(compiler);
        QAction* make = menus->action(velt::kCmdMake);
        QVERIFY(make->isEnabled());
        QTest::mouseClick(compiler, Qt::LeftButton, {}, compiler->actionGeometry(make).center());
        QCOMPARE(r.seen, std::vector<unsigned>{velt::kCmdMake});
        QVERIFY(!compiler->isVisible());

        // Save needs a document as well as its handler.
        QVERIFY(OpenMenu(frame, velt::kFileMenu));
        QVERIFY(!menus->action(velt::kCmdSave)->isEnabled());
        menus->menu(velt::kFileMenu)->hide();
        docs.OpenDocument("/src/a.c");
        QVERIFY(OpenMenu(frame, velt::kFileMenu));
        QVERIFY(menus->action(velt::kCmdSave)->isEnabled());
        menus->menu(velt::kFileMenu)->hide();
    }

    void windowMenuListsTheDocuments() {
        velt::testing::RecordingDocuments docs;
        docs.docs = {{"/src/b.c"}, {"/src/a&b.c"}};
        MainWindow frame;
        frame.show();
        QMenu* window = OpenMenu(frame, velt::kWindowMenu);
        QVERIFY(window);
        QAction* first = frame.menus()->action(velt::kWindowListFirst);
        QAction* second = frame.menus()->action(velt::kWindowListFirst + 1);
        QVERIFY(first && second);
        QCOMPARE(first->text(), QString("&1 /src/b.c"));
        QVERIFY(first->isChecked());
        QCOMPARE(second->text(), QString("&2 /src/a&&b.c"));
        QVERIFY(!second->isChecked());
        QVERIFY(frame.menus()->action(velt::kCmdCascade)->isEnabled());
        second->trigger();
        QCOMPARE(docs.opened, std::vector<std::string>{"/src/a&b.c"});

        // The list follows the documents each time the menu opens.
        window->hide();
        docs.docs.push_back({"/src/c.c"});
        QVERIFY(OpenMenu(frame, velt::kWindowMenu));
        QVERIFY(frame.menus()->action(velt::kWindowListFirst + 2));
        window->hide();
    }

    void outputPaneShowsThePagesAndRunsTheirActions() {
        MainWindow frame;
        velt::gui::QtUi ui(&frame);
        velt::Ui* previous = velt::SetUi(&ui);
        frame.show();
        velt::OutputPane& pane = velt::FrameOutputPane();
        QListWidget* build = frame.outputPane()->pageList(velt::kBuildPage);
        QListWidget* search = frame.outputPane()->pageList(velt::kSearchPage);
        QVERIFY(build && search);

        pane.Append(velt::kBuildPage, "one\r\ntwo");
        pane.Append(velt::kBuildPage, "three");
        QCOMPARE(build->count(), 3);
        QCOMPARE(build->item(2)->text(), QString("three"));

        std::vector<std::pair<std::size_t, std::string>> clicked;
        pane.SetDoubleClickAction(velt::kBuildPage, [&](std::size_t i, const std::string& line) {
            clicked.emplace_back(i, line);
        });
        const QRect row = build->visualItemRect(build->item(1));
        QTest::mouseClick(build->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(pane.SelectedLine(velt::kBuildPage), std::optional<std::size_t>(1));
        QTest::mouseDClick(build->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(clicked.size(), std::size_t(1));
        QCOMPARE(clicked[0].first, std::size_t(1));
        QCOMPARE(clicked[0].second, std::string("two"));
        QCOMPARE(pane.SelectedLine(velt::kBuildPage), std::optional<std::size_t>(1));

        // Cleared and filled again with other lines: no old line may stay.
        pane.Clear(velt::kBuildPage);
        QCOMPARE(build->count(), 0);
        pane.Append(velt::kBuildPage, "four");
        QCOMPARE(build->count(), 1);
        QCOMPARE(build->item(0)->text(), QString("four"));

        // Choosing a tab runs the page's refill routine.
        int refills = 0;
        pane.SetRefill(velt::kSearchPage, [&] {
            ++refills;
            velt::FrameOutputPane().Clear(velt::kSearchPage);
            velt::FrameOutputPane().Append(velt::kSearchPage, "a.c(3): match");
        });
        frame.outputPane()->setCurrentWidget(search);
        QCOMPARE(refills, 1);
        QCOMPARE(pane.ActivePage(), std::string(velt::kSearchPage));
        QCOMPARE(search->count(), 1);

        // The core choosing the page shows it; a page added later gets its tab.
        pane.SetActivePage(velt::kBuildPage);
        QCOMPARE(frame.outputPane()->currentWidget(), build);
        pane.AddPage("stack");
        QCOMPARE(frame.outputPane()->count(), 3);
        QCOMPARE(frame.outputPane()->tabText(2), QString("stack"));
        velt::SetUi(previous);
    }

    void minimumSizeComesFromTheEditorFont() {
        velt::StartupState st;
        st.settings.fontName = "Courier";
        st.settings.fontHeight = -13;
        MainWindow small(&st);
        const int avg13 = QFontMetrics(velt::gui::EditorFont(st.settings)).averageCharWidth();
        QCOMPARE(small.minimumSize(), QSize(30 * avg13, 30 * avg13));

        st.settings.fontHeight = -30;
        MainWindow large(&st);
        const int avg30 = QFontMetrics(velt::gui::EditorFont(st.settings)).averageCharWidth();
        QVERIFY(avg30 > avg13);
        QCOMPARE(large.minimumSize(), QSize(30 * avg30, 30 * avg30));
    }

    void theFrameCarriesOutItsOwnCommands() {
        velt::testing::ScriptedUi ui;
        velt::testing::RecordingDocuments docs;
        docs.docs = {{"/src/a.c"}, {"/src/b.c"}};
        MainWindow frame;
        frame.show();

        ui.Answer(velt::kIdOk);
        QCOMPARE(velt::DispatchCommand(velt::kCmdVersion).status, velt::DispatchStatus::Handled);
        QCOMPARE(ui.Texts(), std::vector<std::string>{"Velt version " VELT_TEST_VERSION});

        ui.Clear();
        velt::DispatchCommand(velt::kCmdStatistics);
        QCOMPARE(ui.boxes.size(), std::size_t(1));
        QVERIFY(ui.boxes[0].text.find("Memory in use: ") == 0);
        QVERIFY(ui.boxes[0].text.find("Open windows: 2") != std::string::npos);

        QString aboutTitle, aboutVersion;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(about);
            aboutTitle = about->windowTitle();
            aboutVersion = about->findChild<QLabel*>("versionLine")->text();
            if (const QString dir = ScreenshotDir(); !dir.isEmpty())
                about->grab().save(dir + "/about.png");
            about->accept();
        });
        velt::DispatchCommand(velt::kCmdAbout);
        QCOMPARE(aboutTitle, QString("About Velt"));
        QCOMPARE(aboutVersion, QString("Velt version " VELT_TEST_VERSION));

        // Help opens the project's page through the desktop.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        ui.Clear();
        velt::DispatchCommand(velt::kCmdHelpIndex);
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY(catcher.urls[0].toLocalFile().endsWith("README.md"));
        QVERIFY(ui.boxes.empty());

        // Cascade, tile and arrange act on the MDI area's windows.
        auto* one = frame.mdiArea()->addSubWindow(new QWidget);
        auto* two = frame.mdiArea()->addSubWindow(new QWidget);
        one->resize(200, 150);
        two->resize(200, 150);
        one->show();
        two->show();
        velt::DispatchCommand(velt::kCmdCascade);
        QVERIFY(one->pos() != two->pos());
        QCOMPARE(one->pos().y() < two->pos().y(), one->pos().x() < two->pos().x());
        velt::DispatchCommand(velt::kCmdTile);
        QVERIFY(!one->geometry().intersects(two->geometry()));
        one->showMinimized();
        two->showMinimized();
        velt::DispatchCommand(velt::kCmdArrangeIcons);
        const int bottom = frame.mdiArea()->viewport()->height();
        QCOMPARE(one->geometry().bottom() + 1, bottom);
        QCOMPARE(two->geometry().bottom() + 1, bottom);
        QVERIFY(!one->geometry().intersects(two->geometry()));

        // Close all asks about modified documents first; Cancel keeps every window.
        docs.docs[0].modified = true;
        ui.Answer(velt::kIdCancel);
        velt::DispatchCommand(velt::kCmdCloseAll);
        QCOMPARE(ui.modifiedFileLists.size(), std::size_t(1));
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 2);
        QCOMPARE(docs.closedAll, 0);
        // Forget: the editor closes every window without asking again.
        ui.Answer(velt::kIdNo);
        velt::DispatchCommand(velt::kCmdCloseAll);
        QCOMPARE(docs.closedAll, 1);
        QCOMPARE(ui.modifiedFileLists.size(), std::size_t(2));
        QVERIFY(frame.isVisible());
    }

    // Dropped files open from the last to the first; coming back from another program asks
    // for the open files to be checked against the disk.
    void dropsOpenAndActivationChecksTheFiles() {
        velt::testing::RecordingDocuments docs;
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/src/one.c"), QUrl("https://example.org/x.c"),
                      QUrl::fromLocalFile("/src/two words.c")});
        const QPoint at = frame.mdiArea()->mapTo(&frame, frame.mdiArea()->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&frame, &drop);
        QCOMPARE(docs.opened, (std::vector<std::string>{"/src/two words.c", "/src/one.c"}));

        int checks = 0;
        velt::SetFrameMessageHandler(velt::FrameMessage::CheckFiles,
                                     [&](std::uintptr_t, std::intptr_t) {
                                         ++checks;
                                         return std::intptr_t{0};
                                     });
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(checks, 0);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(checks, 1);
        velt::SetFrameMessageHandler(velt::FrameMessage::CheckFiles, {});
    }

    // Presses a button of the next modal box, checking its caption and text on the way.
    void boxesReachTheUserThroughTheUi() {
        MainWindow frame;
        velt::gui::QtUi ui(&frame);
        velt::Ui* previous = velt::SetUi(&ui);
        frame.show();

        QString seenTitle, seenText;
        auto press = [&](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, [&, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seenTitle = box->windowTitle();
                seenText = box->text();
                box->button(button)->click();
            });
        };

        press(QMessageBox::Yes);
        QVERIFY(velt::AskYesNo("Continue?"));
        QCOMPARE(seenTitle, QString("Information"));
        QCOMPARE(seenText, QString("Continue?"));

        press(QMessageBox::No);
        QVERIFY(!velt::AskYesNo("Again?"));

        press(QMessageBox::Ok);
        velt::ShowMessage(std::string(300, 'x'));
        QCOMPARE(seenTitle, QString("Error"));
        QCOMPARE(seenText.size(), 254);

        velt::SetUi(previous);
    }

    // Closing the frame ends the event loop with exit code 0, as the program's main() relies
    // on; Quit takes the same way.
    void quitClosesTheFrameAndEndsTheLoop() {
        MainWindow frame;
        frame.show();
        QTimer::singleShot(0, &frame, [] { velt::DispatchCommand(velt::kCmdQuit); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!frame.isVisible());
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
