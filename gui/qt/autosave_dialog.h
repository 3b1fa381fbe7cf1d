// The restore question at start-up: the "Modified files" dialog as the autosave shows it
// (its own title, "Restore" for the first button, "Forget" hidden).
#pragma once

#include "editor/autosave.h"

class QWidget;

namespace velt::gui {

// kIdYes for "Restore"; kIdCancel for "&Cancel", Esc and the window's close button.
int ShowAutosaveRestoreDialog(QWidget* parent, const AutosaveRestoreDialog& dialog);

}  // namespace velt::gui
