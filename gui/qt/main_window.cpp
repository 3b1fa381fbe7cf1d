#include "main_window.h"
#include "qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "about_dialog.h"
#include "build_pages.h"
#include "config_dialog.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor_window.h"
#include "execute_dialog.h"
#include "frame_keys.h"
#include "frame_menus.h"
#include "functions_dialog.h"
#include "grep_dialog.h"
#include "new_project_dialogs.h"
#include "output_pane_widget.h"
#include "project/project.h"
#include "project/project_menu.h"
#include "project/project_page.h"
#include "project/utilities.h"
#include "project_dialogs.h"
#include "search_dialogs.h"
#include "shell/commands.h"
#include "shell/config_dialog.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/exit_questions.h"
#include "shell/frame_messages.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "status_pane_widget.h"
#include "version.h"

namespace velt::gui {

namespace {

// The output pane's rows when OutputWndHeight does not say.
constexpr int kDefaultOutputRows = 8;
// The frame's smallest size, in average characters of the editor font.
constexpr int kMinimumChars = 30;

// The frame whose state the dispatcher reads.
const MainWindow* gStateFrame = nullptr;

// Where the help page may be: an installed HTML page beside the program, else the
// project's own README.
QStringList HelpCandidates() {
    return {QCoreApplication::applicationDirPath() + "/../share/doc/velt/index.html",
            QStringLiteral(VELT_SOURCE_DIR "/README.md")};
}

}  // namespace

QFont EditorFont(const GlobalSettings& s) {
    QFont font(Q(s.fontName));
    // FontHeight is the character height in pixels, negated; 0 leaves the choice to the
    // font system.
    font.setPixelSize(s.fontHeight != 0 ? std::abs(s.fontHeight) : 13);
    font.setWeight(static_cast<QFont::Weight>(FontWeightOf(s.fontStyle)));
    if ((s.fontFamily & 0x3) == 1) font.setStyleHint(QFont::TypeWriter);
    return font;
}

MainWindow::MainWindow(StartupState* state, QWidget* parent)
    : QMainWindow(parent),
      ownState_(state ? nullptr : std::make_unique<StartupState>()),
      st_(state ? *state : *ownState_) {
    setObjectName(GetMessageText(3969));  // the frame's window class name
    setWindowTitle("Velt");
    setAcceptDrops(true);

    mdi_ = new QMdiArea;
    mdi_->setObjectName("MDIClient");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // The core follows the active editor window (current view, position text).
    connect(mdi_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* window) {
        if (EditorWindow* editor = EditorOf(window))
            if (editor->view()) DocumentWindowActivated(editor->view());
    });

    output_ = new OutputPaneWidget;
    status_ = new StatusPaneWidget;

    split_ = new QSplitter(Qt::Vertical);
    split_->setObjectName("frameSplitter");
    split_->setChildrenCollapsible(false);
    split_->addWidget(mdi_);
    split_->addWidget(output_);
    split_->setStretchFactor(0, 1);
    split_->setStretchFactor(1, 0);
    connect(split_, &QSplitter::splitterMoved, this, [this] { outputResized_ = true; });

    auto* client = new QWidget;
    client->setObjectName("frameClient");
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(split_, 1);
    layout->addWidget(status_);
    setCentralWidget(client);

    gStateFrame = this;
    FrameCommands().SetStateSource([] {
        FrameState s;
        s.debugSession = DebugSessionRunning();
        // Asked on every key: a current view settles it without listing the documents, which
        // numbers each one's cursor line.
        s.hasCurrentDocument = CurrentView() || !CurrentDocuments().Documents().empty();
        return s;
    });
    registerCommands();
    InstallSearchDialogs(this);
    InstallGrepDialog(this);
    InstallFunctionsDialog(this);
    InstallExecuteDialog(this);
    InstallMakefileFrontEnd(this);
    menus_ = new FrameMenus(
        menuBar(),
        [] {
            MainMenuSources sources;
            sources.recentProjects = RecentProjects();
            for (const UtilityMenuEntry& e : UtilityMenu()) {
                sources.utilities.push_back(e.name);
                sources.utilityCommands.push_back(e.command);
            }
            return sources;
        },
        this);
    keys_ = new FrameKeys(this, output_);
    InstallProjectWindows(this);
    InstallNewProjectWindows(this);

    // Coming back from another program: the clipboard may hold new text for the block
    // buffer, and the open files may have changed on disk. Leaving: the block buffer goes
    // to the clipboard for the other program.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        const bool active = s == Qt::ApplicationActive;
        // Inactive, hidden and suspended follow each other: one exchange per change.
        if (active == active_) return;
        active_ = active;
        ClipboardActivated(active);
        if (active) SendFrameMessage(FrameMessage::CheckFiles);
    });

    applySettings();
    resize(900, 640);
    normal_ = QRect(pos(), size());
}

MainWindow::~MainWindow() {
    FrameCommands().Unregister(this);
    UninstallSearchDialogs(this);
    UninstallGrepDialog(this);
    UninstallFunctionsDialog(this);
    UninstallExecuteDialog(this);
    UninstallMakefileFrontEnd();
    UninstallProjectWindows(this);
    UninstallNewProjectWindows(this);
    // Another frame made since (a test's) keeps its source.
    if (gStateFrame == this) {
        FrameCommands().SetStateSource(nullptr);
        gStateFrame = nullptr;
    }
}

void MainWindow::registerCommands() {
    CommandDispatcher& d = FrameCommands();
    auto add = [this, &d](unsigned id, std::function<void()> fn) {
        d.Register(
            id,
            [fn = std::move(fn)](const CommandCall&) {
                fn();
                return std::intptr_t{0};
            },
            this, CommandPhase::Frame);
    };
    add(kCmdQuit, [this] { close(); });
    add(kCmdCloseAll, [this] { closeAllDocuments(); });
    add(kCmdCascade, [this] { mdi_->cascadeSubWindows(); });
    add(kCmdTile, [this] { mdi_->tileSubWindows(); });
    add(kCmdArrangeIcons, [this] { arrangeIcons(); });
    add(kCmdProjectConfiguration, [this] { configure(); });
    add(kCmdAbout, [this] { showAbout(); });
    add(kCmdStatistics, [this] { showStatistics(); });
    add(kCmdVersion, [this] { showVersion(); });
    add(kCmdHelpIndex, [this] { openHelp(); });
    add(kCmdHelpIndexDirect, [this] { openHelp(); });
    d.RegisterRange(
        kWindowListFirst, kWindowListFirst + kWindowListShown,
        [this](const CommandCall& c) {
            activateDocument(c.id - kWindowListFirst);
            return std::intptr_t{0};
        },
        this, CommandPhase::Frame);
    // The shared-block requests reach the frame as commands too (message 2024, 3501-3503).
    d.RegisterRange(
        kCmdSharedOpenFile, kCmdSharedClientSize,
        [this](const CommandCall& c) {
            return static_cast<std::intptr_t>(
                st_.instance.HandleRequest(c.id, c.wparam, static_cast<std::uint64_t>(c.lparam)));
        },
        this, CommandPhase::Frame);
}

void MainWindow::statusPaneChanged() {
    status_->refresh();
}

void MainWindow::outputPaneChanged(const std::string& page) {
    output_->refresh(page);
}

void MainWindow::applySettings() {
    const QFontMetrics fm(EditorFont(st_.settings));
    const int side = kMinimumChars * std::max(1, fm.averageCharWidth());
    setMinimumSize(side, side);

    // Build and search lines line up in a fixed font; "small fonts" makes it smaller.
    QFont lines = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lines.setPointSizeF(QApplication::font().pointSizeF() *
                        ((st_.settings.editorFlags & kEditorSmallOutputFont) ? 0.85 : 1.0));
    output_->setPageFont(lines);

    const int rows = st_.settings.outputWndHeight > 0
                         ? st_.settings.outputWndHeight
                         : QFontMetrics(lines).height() * kDefaultOutputRows +
                               output_->tabBar()->sizeHint().height();
    const int total = std::max(split_->height(), rows * 4);
    split_->setSizes({total - rows, rows});
    outputResized_ = false;
}

void MainWindow::place(const FramePlacement& p) {
    const QRect stored(p.x, p.y, p.cx, p.cy);
    bool visible = false;
    // A rectangle from a screen that is gone would put the frame out of reach.
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersected(stored).width() >= 50 &&
            screen->availableGeometry().intersected(stored).height() >= 50)
            visible = true;
    if (!p.useDefault && visible) {
        move(p.x, p.y);
        resize(p.cx, p.cy);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(std::max(minimumWidth(), avail.width() * 3 / 4),
               std::max(minimumHeight(), avail.height() * 3 / 4));
        move(avail.center() - rect().center());
    }
    normal_ = QRect(pos(), size());
}

void MainWindow::showAtStart(const FramePlacement& p) {
    if (p.maximised)
        showMaximized();
    else
        show();
    arrangeIcons();
    if (QMdiSubWindow* active = mdi_->activeSubWindow())
        if (active->widget() && active->widget()->size().isEmpty()) mdi_->tileSubWindows();
}

void MainWindow::rememberNormalRect() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    normal_ = QRect(pos(), size());
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    rememberNormalRect();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    rememberNormalRect();
}

SaveContext MainWindow::saveContext() const {
    SaveContext c;
    c.frameZoomed = isMaximized() ? 1 : 0;
    c.frameX = normal_.x();
    c.frameY = normal_.y();
    c.frameCX = normal_.width();
    c.frameCY = normal_.height();
    c.projectOpen = ProjectIsOpen();
    AddOpenDocuments(c, [this](const DocumentSummary& d) -> std::optional<ScreenRect> {
        for (QMdiSubWindow* w : mdi_->subWindowList()) {
            const EditorWindow* editor = EditorOf(w);
            if (!editor || editor->view() != d.view) continue;
            // The normal rectangle in screen coordinates; a minimised window is stored with
            // a negative left, a maximised one with a negative right (at least -1, so that
            // a window at the screen's edge keeps its mark).
            const QRect n = w->normalGeometry().isValid() ? w->normalGeometry() : w->geometry();
            const QPoint topLeft = mdi_->viewport()->mapToGlobal(n.topLeft());
            int left = topLeft.x(), right = topLeft.x() + n.width();
            if (w->isMinimized()) left = -std::max(left, 1);
            if (w->isMaximized()) right = -std::max(right, 1);
            return ScreenRect{left, topLeft.y(), right, topLeft.y() + n.height()};
        }
        return std::nullopt;
    });
    return c;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ConfirmClose() == CloseDecision::Veto) {
        event->ignore();
        return;
    }
    if (!ownState_) {
        if (outputResized_)
            st_.settings.outputWndHeight =
                static_cast<std::int16_t>(std::clamp(output_->height(), 1, 0x7FFF));
        // Closing goes on: a settings file that cannot be written must not keep the program
        // open, but the user learns that the settings were not kept.
        if (!SaveSettingsAtClose(st_, saveContext())) ShowCannotOpen(GlobalSettingsFile(st_.root));
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toLocal8Bit().toStdString());
    if (files.empty()) return;
    event->acceptProposedAction();
    for (auto it = files.rbegin(); it != files.rend(); ++it) CurrentDocuments().OpenDocument(*it);
}

void MainWindow::arrangeIcons() {
    // Minimised windows in rows along the bottom of the area, left to right.
    const QRect area = mdi_->viewport()->rect();
    int x = 0;
    int bottom = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        const QSize s = w->size();
        if (x > 0 && x + s.width() > area.width()) {
            x = 0;
            bottom -= rowHeight;
            rowHeight = 0;
        }
        w->move(x, bottom - s.height());
        x += s.width();
        rowHeight = std::max(rowHeight, s.height());
    }
}

void MainWindow::closeAllDocuments() {
    if (ConfirmClose() == CloseDecision::Veto) return;
    CurrentDocuments().CloseAllWindows();
}

void MainWindow::configure() {
    ConfigContext ctx(st_.settings, st_.root);
    ctx.sheet = ProjectSheetState();
    if (!RunConfigurationDialog(this, ctx)) return;
    applySettings();
    // Font, colours, tab size and scroll step may have changed.
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (EditorWindow* editor = EditorOf(window)) editor->applySettings();
}

void MainWindow::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::showStatistics() {
    ShowInfo(FormatText("Memory in use: %u bytes\nOpen windows: %zu", MemoryInUse(),
                        CurrentDocuments().Documents().size()));
}

void MainWindow::showVersion() {
    ShowInfo(VersionLine().toStdString());
}

void MainWindow::openHelp() {
    for (const QString& page : HelpCandidates()) {
        if (!QFileInfo::exists(page)) continue;
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(page).canonicalFilePath())))
            return;
        break;  // the page is there but nothing can show it
    }
    ShowInfo("No help viewer is available.");
}

void MainWindow::activateDocument(std::size_t index) {
    const std::vector<DocumentSummary> docs = CurrentDocuments().Documents();
    if (index < kWindowListShown) {
        if (index < docs.size()) CurrentDocuments().OpenDocument(docs[index].name);
        return;
    }
    // "More Windows...": every document to choose from.
    QStringList names;
    for (const DocumentSummary& d : docs) names << Q(d.name);
    if (names.isEmpty()) return;
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, "Select Window", "&Windows:", names, 0, false, &ok);
    const qsizetype at = names.indexOf(chosen);
    if (ok && at >= 0) CurrentDocuments().OpenDocument(docs[static_cast<std::size_t>(at)].name);
}

}  // namespace velt::gui
