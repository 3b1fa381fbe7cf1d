// The frame's keyboard: every key pressed in the frame's window (documents, the MDI area,
// the panes) is looked up, as the virtual key Windows would give, in the accelerator table
// "EDITFILEACC" and then the shortcut table; a match is dispatched as its command. An
// Alt+letter that no row has is looked up as a menu character (WM_MENUCHAR) and, failing
// that, left to the menu bar's mnemonics. Dialogs and open menus keep their own keys.
// An editor window with the focus takes its keys itself ("EDITFILEACC", then the core's key
// handler, which searches the shortcut table, then the typed character); what it leaves is
// not looked up again on the way to its parents.
#pragma once

#include <QObject>

#include "key_codes.h"

class QWidget;

namespace velt::gui {

// The keys the output pane's lists use themselves: moving through the lines, and copy.
bool OutputListKeepsKey(const VirtualKey& key);

// The command a key gives in the frame; 0 when the key is not the tables'. In the output
// pane the lists keep their own keys.
unsigned FrameKeyCommand(const VirtualKey& key, bool inOutputPane);

// Whether an editor window with the focus claims the key from Qt's own shortcuts: keys of
// the tables, keys that type a character (`types`) and keys without Ctrl or Alt. An Alt key
// no table has stays with the menu bar's mnemonics, a Ctrl key that neither has nor types
// with the sub-window's (Ctrl+F4 closes, Ctrl+F6 goes to the next window).
bool EditorClaimsKey(const VirtualKey& key, bool types);

class FrameKeys : public QObject {
    Q_OBJECT
  public:
    // Watches the application's key events (installs itself) for `frame`, whose `outputPane`
    // keeps its list keys.
    FrameKeys(QWidget* frame, QWidget* outputPane);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* frame_;
    QWidget* outputPane_;
};

}  // namespace velt::gui
