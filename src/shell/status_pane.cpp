#include "shell/status_pane.h"

#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/ui.h"

namespace velt {
namespace {

// The utilities whose menu entries describe their command line rather than a help text.
constexpr unsigned kDescribedUtilityLast = 1331;
constexpr unsigned kRestoreParam = 8037;

}  // namespace

std::string FormatPositionText(unsigned line, int column, const std::string& function,
                               bool modified) {
    std::string text = function.empty()
                           ? FormatText("%u:%d", line, column + 1)
                           : FormatText("%s %u:%d", function.c_str(), line, column + 1);
    if (modified) text += " *";
    return text;
}

std::string TitleWithModifiedMark(const std::string& title, bool modified) {
    const bool marked = !title.empty() && title.back() == '*';
    if (modified) return marked ? title : title + "*";
    return marked ? title.substr(0, title.size() - 1) : title;
}

void StatusPane::Changed() {
    CurrentUi().StatusPaneChanged();
}

void StatusPane::SetPositionText(const std::string& text) {
    if (text == position_) return;  // sent on every cursor move; most change nothing
    position_ = text;
    Changed();
}

void StatusPane::ShowNotice(const std::string& text) {
    if (helpShown_) {
        saved_ = text;
        return;
    }
    text_ = text;
    Changed();
}

void StatusPane::ShowTransientHelp(const std::string& text) {
    if (!helpShown_) {
        saved_ = text_;
        helpShown_ = true;
    }
    text_ = text;
    Changed();
}

void StatusPane::RestoreText() {
    if (!helpShown_) return;  // nothing to restore: an older text must not come back
    helpShown_ = false;
    text_ = std::move(saved_);
    saved_.clear();
    Changed();
}

void StatusPane::TransientHelpMessage(std::uintptr_t wparam, const char* text) {
    if (wparam == kRestoreParam && (!text || !*text))
        RestoreText();
    else
        ShowTransientHelp(text ? text : "");
}

void StatusPane::MenuSelect(unsigned command) {
    if (command >= kCmdUtilityFirst && command <= kDescribedUtilityLast && describer_) {
        std::string program, arguments;
        if (describer_(command, program, arguments)) {
            ShowTransientHelp(FormatText(GetMessageText(405), program.c_str(), arguments.c_str()));
            return;
        }
    }
    const char* help = command ? GetMessageText(command + kMenuHelpOffset) : "";
    ShowTransientHelp(*help ? FormatText("%s.", help) : std::string());
}

void StatusPane::Reset() {
    position_.clear();
    text_.clear();
    saved_.clear();
    helpShown_ = false;
}

StatusPane& FrameStatusPane() {
    static StatusPane pane;
    return pane;
}

}  // namespace velt
