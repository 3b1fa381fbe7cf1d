// The message boxes through which every error and question reaches the user.
#pragma once

#include <string>

namespace velt {

// Longest text an error box shows; the rest is cut.
inline constexpr std::size_t kMessageCut = 254;

// Error box: restores a minimised frame first, cuts the text to 254 characters, caption
// "Error" (406), stop icon, task-modal, set-foreground. Returns the box's result.
int ShowMessage(const std::string& text);
int ShowMessageId(unsigned id);
// "InternalError %d".
int ShowInternalError(int n);
// Message 1154 "Impossible to open %s for writing!".
int ShowCannotOpen(const std::string& name);
// Yes/No question with caption "Information" (3981); true for Yes.
bool AskYesNo(const std::string& text);
bool AskYesNoId(unsigned id);
// Notice with the information icon and caption "Information".
void ShowInfo(const std::string& text);
// Text 137 "No more memory left", owned by the active window, default caption, stop icon.
void ShowOutOfMemory();

}  // namespace velt
