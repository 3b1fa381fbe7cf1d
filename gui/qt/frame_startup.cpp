#include "frame_startup.h"

#include <unistd.h>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "autosave_dialog.h"
#include "editor/autosave.h"
#include "main_window.h"
#include "project/project_commands.h"
#include "qt_ui.h"
#include "shell/command_line.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/shortcuts.h"
#include "splash.h"
#include "status_pane_widget.h"

namespace velt::gui {

FrameStartup::FrameStartup(StartupState& state, QtUi* ui)
    : st_(state), ui_(ui), autosaveTimer_(std::make_unique<QTimer>()) {
    // Qt numbers its timers itself: kAutosaveTimerId names this one in the core only.
    autosaveTimer_->setObjectName("autosave");
    autosaveTimer_->setInterval(kAutosavePeriodMs);
    QObject::connect(autosaveTimer_.get(), &QTimer::timeout, [] { AutosaveTick(); });
    SetAutosaveTimer([timer = autosaveTimer_.get()](bool run) {
        if (run)
            timer->start();
        else
            timer->stop();
    });
    SetAutosaveRestoreDialog([this](const AutosaveRestoreDialog& dialog) {
        return ShowAutosaveRestoreDialog(frame_.get(), dialog);
    });
}

FrameStartup::~FrameStartup() {
    StopListening();
    SetAutosaveTimer({});
    SetAutosaveRestoreDialog({});
    if (ui_) ui_->setFrame(nullptr);
}

void FrameStartup::BeforeSettings(GlobalSettings& settings) {
    settings.accelerators = DefaultAccelEntries();
}

bool FrameStartup::CreateFrame(const FramePlacement& placement) {
    // The settings are read: the user's keys go into the table before the menus show them.
    ApplyShortcutEntries(st_.settings.accelerators);
    frame_ = std::make_unique<MainWindow>(&st_);
    frame_->place(placement);
    if (ui_) ui_->setFrame(frame_.get());
    return true;
}

void FrameStartup::ShowSplash() {
    splash_ = std::make_unique<Splash>();
    splash_->showNow();
    ++splashesShown_;
}

void FrameStartup::CloseSplash() {
    splash_.reset();
}

void FrameStartup::ShowFrame() {
    frame_->showAtStart(st_.frame);
}

// A name that is not in the projects table opens nothing, and nothing is said.
void FrameStartup::OpenProject(const std::string& name) {
    OpenProjectByName(name);
}

void FrameStartup::OpenLastProject() {
    velt::OpenLastProject();
}

// Filled by the debugger (attaching to a running process).
void FrameStartup::AttachDebugger(std::uint32_t pid, std::uint64_t) {
    ShowInfo(DebuggingUnavailableText(FormatText("process %u", pid)));
}

void FrameStartup::StartAutosave() {
    AutosaveStart(st_.root);
}

void FrameStartup::StopAutosave() {
    AutosaveStop();
}

void FrameStartup::Listen() {
    MainWindow* frame = frame_.get();
    InstanceHooks hooks;
    hooks.clientSize = [frame](int& width, int& height) {
        const QWidget* client = frame->centralWidget();
        width = client->width();
        height = client->height();
    };
    // cursorLine stays unset (answering 0, no document) until the editor provides it.
    st_.instance.SetHooks(std::move(hooks));
    if (st_.instance.fd() < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(st_.instance.fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                     [this] { st_.instance.ProcessPending(); });
}

void FrameStartup::StopListening() {
    notifier_.reset();
    st_.instance.SetHooks({});
}

double SecondsSinceProcessStart(std::chrono::steady_clock::time_point fallback) {
#ifdef __linux__
    // Field 22 of /proc/self/stat: the start in clock ticks since boot. The name in field 2
    // may hold blanks and parentheses, so counting starts after its last ')'.
    std::ifstream in("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    timespec now{};
    const long ticks = sysconf(_SC_CLK_TCK);
    if (close != std::string::npos && ticks > 0 && clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
        std::istringstream fields(text.substr(close + 1));
        std::string field;
        unsigned long long start = 0;
        bool found = false;
        for (int n = 3; fields >> field; ++n)
            if (n == 22) {
                start = std::stoull(field);
                found = true;
                break;
            }
        if (found) {
            const double since = static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 -
                                 static_cast<double>(start) / static_cast<double>(ticks);
            if (since >= 0) return since;
        }
    }
#endif
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - fallback).count();
}

QuitWhenIdle::QuitWhenIdle(MainWindow* frame, std::chrono::steady_clock::time_point mainStart)
    : QObject(frame), mainStart_(mainStart) {
    // Painting the frame paints its panes; theirs are the paint events to wait for.
    frame->statusPane()->installEventFilter(this);
    frame->mdiArea()->viewport()->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &QuitWhenIdle::idle);
}

bool QuitWhenIdle::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint) painted_ = true;
    return false;
}

void QuitWhenIdle::idle() {
    if (!painted_ || done_) return;
    done_ = true;
    std::printf("startup: %.3f s\n", SecondsSinceProcessStart(mainStart_));
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

}  // namespace velt::gui
