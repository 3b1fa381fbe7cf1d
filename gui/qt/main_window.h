// The main frame window ("clMDIFrame"): the menu bar, the MDI area ("MDIClient") with the
// output pane below it and the status pane ("VeltOutput") along the bottom. It draws what
// the core holds, forwards menu choices, keys and drops to the core, and carries out the
// commands only the window system can (quit, cascade, tile, the dialogs).
#pragma once

#include <QMainWindow>
#include <QRect>
#include <memory>
#include <string>

#include "shell/settings.h"
#include "shell/startup.h"

class QMdiArea;
class QSplitter;

namespace velt::gui {

class FrameKeys;
class FrameMenus;
class OutputPaneWidget;
class StatusPaneWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `state` holds the settings, the root and the instance of this start; it must outlive
    // the frame. Without one the frame has settings of its own and stores nothing at close.
    explicit MainWindow(StartupState* state = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return mdi_; }
    StatusPaneWidget* statusPane() const { return status_; }
    OutputPaneWidget* outputPane() const { return output_; }
    FrameMenus* menus() const { return menus_; }
    // The settings the editor windows draw with.
    const GlobalSettings& settings() const { return st_.settings; }

    // The Ui's change notices.
    void statusPaneChanged();
    void outputPaneChanged(const std::string& page);

    // Puts the frame where the start placed it: the stored rectangle, or the window
    // system's default when there is none or it lies on no screen.
    void place(const FramePlacement& placement);
    // Shows the frame (maximised when so placed), arranges the icons and tiles when the
    // active document has no room.
    void showAtStart(const FramePlacement& placement);
    // The font, the minimum size and the output font from the settings (after a start or
    // the configuration).
    void applySettings();

    // The last rectangle seen while the frame was neither minimised nor maximised (position
    // of the frame, size of its inside).
    QRect normalRect() const { return normal_; }
    // What the settings save takes from the windows.
    SaveContext saveContext() const;

    // The frame's commands.
    void arrangeIcons();
    void closeAllDocuments();
    void configure();
    void showAbout();
    void showStatistics();
    void showVersion();
    void openHelp();
    void activateDocument(std::size_t index);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void registerCommands();
    void rememberNormalRect();

    std::unique_ptr<StartupState> ownState_;
    StartupState& st_;
    QMdiArea* mdi_;
    OutputPaneWidget* output_;
    StatusPaneWidget* status_;
    QSplitter* split_;
    FrameMenus* menus_;
    FrameKeys* keys_;
    QRect normal_;
    bool outputResized_ = false;  // the user moved the pane's edge
    // The application is the active one (the clipboard was read into the block buffer).
    bool active_ = false;
};

// The editor font the settings describe (FontName, FontHeight, FontStyle, FontFamily).
QFont EditorFont(const GlobalSettings& settings);

}  // namespace velt::gui
