#include "frame_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "editor_window.h"
#include "shell/dispatch.h"
#include "shell/shortcuts.h"

namespace velt::gui {
namespace {

bool IsNavigationKey(unsigned vk) {
    return vk >= kVkPrior && vk <= kVkDown;  // PgUp, PgDn, End, Home and the arrows
}

// Keys that are their own character code, the only ones WM_MENUCHAR looks up.
bool IsMenuCharacter(unsigned vk) {
    return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == kVkSpace ||
           vk == kVkBack || vk == kVkTab || vk == kVkReturn || vk == kVkEscape;
}

}  // namespace

bool OutputListKeepsKey(const VirtualKey& k) {
    return !k.alt &&
           (IsNavigationKey(k.vk) || (k.ctrl && !k.shift && (k.vk == 'C' || k.vk == kVkInsert)));
}

unsigned FrameKeyCommand(const VirtualKey& k, bool inOutputPane) {
    if (k.vk == 0) return 0;
    if (unsigned command = MatchFileAccelerator(k.vk, k.ctrl, k.shift, k.alt)) return command;
    if (inOutputPane && OutputListKeepsKey(k)) return 0;
    // The debugger's own table goes first here once debug sessions exist.
    if (unsigned command = MatchShortcut(k.vk, k.ctrl, k.shift, k.alt)) return command;
    if (k.alt && !k.ctrl && IsMenuCharacter(k.vk)) return MenuCharCommand(k.vk);
    return 0;
}

bool EditorClaimsKey(const VirtualKey& k, bool types) {
    if (FrameKeyCommand(k, false) != 0) return true;
    if (k.alt) return false;
    return types || !k.ctrl;
}

FrameKeys::FrameKeys(QWidget* frame, QWidget* outputPane)
    : QObject(frame), frame_(frame), outputPane_(outputPane) {
    qApp->installEventFilter(this);
}

bool FrameKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != frame_) return false;
    auto* key = static_cast<QKeyEvent*>(event);

    auto* editor = qobject_cast<EditorWindow*>(widget);
    if (editor && editor->view()) {
        const VirtualKey k = VirtualKeyFromEvent(*key);
        if (type == QEvent::ShortcutOverride) {
            if (!EditorClaimsKey(k, EditorWindow::TypesCharacter(*key))) return false;
            key->accept();
            return true;
        }
        if (editor->editorKey(*key)) {
            key->accept();
            return true;
        }
        // An Alt+letter the editor left: the menu character, as in the frame.
        if (k.alt && !k.ctrl && IsMenuCharacter(k.vk)) {
            if (unsigned command = MenuCharCommand(k.vk)) {
                key->accept();
                DispatchCommand(command);
                return true;
            }
        }
        return false;
    }
    // The editor window had the key first and left it: its parents must not run the tables
    // a second time.
    auto* focusEditor = qobject_cast<EditorWindow*>(QApplication::focusWidget());
    if (focusEditor && focusEditor->view() && widget->isAncestorOf(focusEditor)) return false;

    const bool inOutput =
        outputPane_ && (widget == outputPane_ || outputPane_->isAncestorOf(widget));
    const unsigned command = FrameKeyCommand(VirtualKeyFromEvent(*key), inOutput);
    if (command == 0) return false;
    // Claiming the override keeps Qt's own shortcuts (menu mnemonics) from taking the key;
    // the key press that follows runs the command.
    key->accept();
    if (type == QEvent::KeyPress) DispatchCommand(command);
    return true;
}

}  // namespace velt::gui
