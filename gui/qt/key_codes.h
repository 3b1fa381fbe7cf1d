// Qt key events as the virtual-key codes and modifier state that the shortcut table is
// written in, so that a key means the same on every window system.
#pragma once

#include <Qt>

class QKeyEvent;

namespace velt::gui {

struct VirtualKey {
    unsigned vk = 0;  // 0: the key has no code (a modifier alone, an unknown key)
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

// The code Windows gives for the key: letters and digits as their upper-case character,
// the named keys by their VK_ numbers, the number pad's digits and operators by theirs (its
// Enter is Return, its navigation keys are the navigation keys), punctuation by the VK_OEM_
// code of the US keyboard key that carries it, with or without Shift.
unsigned VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers);
VirtualKey VirtualKeyFromEvent(const QKeyEvent& event);

}  // namespace velt::gui
