#include "frame_menus.h"
#include "qt_text.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "shell/dispatch.h"
#include "shell/status_pane.h"

namespace velt::gui {

namespace {


constexpr char kCommandProperty[] = "veltCommand";

QAction* FindIn(const QMenu* menu, unsigned command) {
    for (QAction* a : menu->actions()) {
        if (CommandOf(a) == command) return a;
        if (a->menu())
            if (QAction* inner = FindIn(a->menu(), command)) return inner;
    }
    return nullptr;
}

}  // namespace

unsigned CommandOf(const QAction* action) {
    return action ? action->property(kCommandProperty).toUInt() : 0;
}

FrameMenus::FrameMenus(QMenuBar* bar, SourcesFn sources, QObject* parent)
    : QObject(parent), bar_(bar), sources_(std::move(sources)) {
    const std::vector<MenuItem> model = BuildMainMenu(sources_ ? sources_() : MainMenuSources{});
    for (std::size_t i = 0; i < model.size(); ++i) {
        QMenu* menu = bar_->addMenu(Q(model[i].text));
        menu->setObjectName(QString("menu%1").arg(i));
        menus_.push_back(menu);
        popups_.emplace_back();
        watch(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, i] { rebuild(i); });
        // Only the bar's own menus: leaving a sub-menu keeps the menu open.
        connect(menu, &QMenu::aboutToHide, this, [] { FrameStatusPane().MenuClosed(); });
    }
    rebuildAll();
}

void FrameMenus::watch(QMenu* menu) {
    connect(menu, &QMenu::hovered, this,
            [](QAction* a) { FrameStatusPane().MenuSelect(CommandOf(a)); });
}

void FrameMenus::rebuildAll() {
    for (std::size_t i = 0; i < menus_.size(); ++i) rebuild(i);
}

void FrameMenus::rebuild(std::size_t index) {
    std::vector<MenuItem> model = BuildMainMenu(sources_ ? sources_() : MainMenuSources{});
    UpdateMenuEnabled(model);
    QMenu* menu = menus_.at(index);
    menu->clear();
    for (QMenu* popup : popups_[index]) popup->deleteLater();
    popups_[index].clear();
    if (index < model.size()) fill(menu, model[index].items, popups_[index]);
}

void FrameMenus::fill(QMenu* menu, const std::vector<MenuItem>& items,
                      std::vector<QMenu*>& popups) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItemKind::Separator:
                menu->addSeparator();
                break;
            case MenuItemKind::Popup: {
                QMenu* sub = menu->addMenu(Q(item.text));
                popups.push_back(sub);
                watch(sub);
                fill(sub, item.items, popups);
                break;
            }
            case MenuItemKind::Command: {
                // The key after the tab is only shown: keys reach their commands through the
                // shortcut table, never through a Qt shortcut of the action.
                QAction* a = menu->addAction(Q(item.text));
                const unsigned command = item.command;
                a->setProperty(kCommandProperty, command);
                a->setEnabled(item.enabled);
                if (item.checked) {
                    a->setCheckable(true);
                    a->setChecked(true);
                }
                connect(a, &QAction::triggered, this, [command] { DispatchCommand(command); });
                break;
            }
        }
    }
}

QAction* FrameMenus::action(unsigned command) const {
    for (const QMenu* menu : menus_)
        if (QAction* a = FindIn(menu, command)) return a;
    return nullptr;
}

}  // namespace velt::gui
