#include "shell/msgbox.h"

#include "shell/messages.h"
#include "shell/ui.h"

namespace velt {

int ShowMessage(const std::string& text) {
    Ui& ui = CurrentUi();
    ui.RestoreFrameIfMinimised();
    return ui.MessageBox(text.substr(0, kMessageCut), GetMessageText(406),
                         kMbIconHand | kMbTaskModal | kMbSetForeground, BoxOwner::Frame);
}

int ShowMessageId(unsigned id) { return ShowMessage(GetMessageText(id)); }

int ShowInternalError(int n) { return ShowMessage(FormatText("InternalError %d", n)); }

int ShowCannotOpen(const std::string& name) {
    return ShowMessage(FormatText(GetMessageText(1154), name.c_str()));
}

bool AskYesNo(const std::string& text) {
    return CurrentUi().MessageBox(text, GetMessageText(3981), kMbYesNo | kMbSetForeground,
                                  BoxOwner::Frame) == kIdYes;
}

bool AskYesNoId(unsigned id) { return AskYesNo(GetMessageText(id)); }

void ShowInfo(const std::string& text) {
    CurrentUi().MessageBox(text, GetMessageText(3981), kMbIconInformation | kMbSetForeground,
                           BoxOwner::Frame);
}

void ShowOutOfMemory() {
    CurrentUi().MessageBox(GetMessageText(137), "", kMbIconHand, BoxOwner::ActiveWindow);
}

}  // namespace velt
