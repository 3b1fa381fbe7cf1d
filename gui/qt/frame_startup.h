// The front end's part of the start (the StartupHooks of the core's RunStartup): the frame,
// the splash box, showing the frame; then the channel to other programs. Also the timing
// switch "--quit-when-idle" that measures the start.
#pragma once

#include <QObject>
#include <chrono>
#include <memory>

#include "shell/startup.h"

class QSocketNotifier;
class QTimer;

namespace velt::gui {

class MainWindow;
class QtUi;
class Splash;

class FrameStartup : public StartupHooks {
  public:
    // `ui`, when given, is pointed at the frame once it exists.
    explicit FrameStartup(StartupState& state, QtUi* ui = nullptr);
    ~FrameStartup() override;

    void BeforeSettings(GlobalSettings& settings) override;
    bool CreateFrame(const FramePlacement& placement) override;
    void ShowSplash() override;
    void CloseSplash() override;
    void ShowFrame() override;
    // The project named on the command line, or the last session's.
    void OpenProject(const std::string& name) override;
    void OpenLastProject() override;
    // The debugger has no subsystem yet; attaching tells the user so.
    void AttachDebugger(std::uint32_t pid, std::uint64_t event) override;
    // The autosave's restore offer and its timer (also started and stopped by the
    // configuration).
    void StartAutosave() override;
    void StopAutosave() override;

    // After a start that goes on: answers other programs' requests on the instance channel
    // while the event loop runs.
    void Listen();
    // Before the shutdown closes the channel.
    void StopListening();

    MainWindow* frame() const { return frame_.get(); }
    Splash* splash() const { return splash_.get(); }
    int splashesShown() const { return splashesShown_; }
    QTimer* autosaveTimer() const { return autosaveTimer_.get(); }

  private:
    StartupState& st_;
    QtUi* ui_;
    std::unique_ptr<MainWindow> frame_;
    std::unique_ptr<Splash> splash_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> autosaveTimer_;
    int splashesShown_ = 0;
};

// Seconds since this process started: from the kernel's record of the start when it can be
// read, else since `fallback` (taken at the top of main()).
double SecondsSinceProcessStart(std::chrono::steady_clock::time_point fallback);

// "--quit-when-idle": once the frame has been painted and the event loop first has nothing
// left to do, prints "startup: %.3f s" with the time since the process started and quits
// (without the close questions or the settings save: a measuring run changes nothing).
class QuitWhenIdle : public QObject {
    Q_OBJECT
  public:
    QuitWhenIdle(MainWindow* frame, std::chrono::steady_clock::time_point mainStart);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void idle();

    std::chrono::steady_clock::time_point mainStart_;
    bool painted_ = false;
    bool done_ = false;
};

}  // namespace velt::gui
