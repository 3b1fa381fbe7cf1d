// The frame's menu bar, built from the core's menu model. Each menu is filled afresh when it
// opens, so its items are enabled from the dispatcher's state of that moment and its lists
// (the recent projects, the Window menu's documents) are current. A chosen item is
// dispatched as its command; a highlighted one shows its help in the status pane.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "shell/menu_model.h"

class QAction;
class QMenu;
class QMenuBar;

namespace velt::gui {

class FrameMenus : public QObject {
    Q_OBJECT
  public:
    // Where the changing lists come from; empty sources until their owners exist.
    using SourcesFn = std::function<MainMenuSources()>;

    FrameMenus(QMenuBar* bar, SourcesFn sources, QObject* parent = nullptr);

    // Fills every menu from a fresh model (after the keys or the lists changed).
    void rebuildAll();
    // Fills one menu of the bar from a fresh model, as on opening it.
    void rebuild(std::size_t index);

    QMenu* menu(std::size_t index) const { return menus_.at(index); }
    std::size_t count() const { return menus_.size(); }
    // The first item of the bar carrying `command`, as currently filled; null when none.
    QAction* action(unsigned command) const;

  private:
    void fill(QMenu* menu, const std::vector<MenuItem>& items, std::vector<QMenu*>& popups);
    void watch(QMenu* menu);

    QMenuBar* bar_;
    SourcesFn sources_;
    std::vector<QMenu*> menus_;
    std::vector<std::vector<QMenu*>> popups_;  // the sub-menus made for each menu
};

// The command an action of the bar dispatches; 0 for sub-menus and separators.
unsigned CommandOf(const QAction* action);

}  // namespace velt::gui
