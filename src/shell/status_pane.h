// The status pane at the bottom of the frame: the cursor position of the current document,
// and a message part showing notices and, while a menu is open, the highlighted item's help.
// The front end draws what this model holds and is told of every change through
// Ui::StatusPaneChanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velt {

// "%u:%d" of the line and the column + 1, or "%s %u:%d" with the function containing the
// cursor in front; " *" is appended while the document is modified.
std::string FormatPositionText(unsigned line, int column, const std::string& function,
                               bool modified);
// The document window's title with a trailing "*" while modified, without one otherwise.
std::string TitleWithModifiedMark(const std::string& title, bool modified);

// Describes user utility `command` (1320 ...): false when there is no such utility.
using UtilityDescriber =
    std::function<bool(unsigned command, std::string& program, std::string& arguments)>;

class StatusPane {
  public:
    const std::string& PositionText() const { return position_; }
    // What the message part shows now.
    const std::string& Text() const { return text_; }
    // A menu item's help is shown in place of the message.
    bool ShowingHelp() const { return helpShown_; }

    // 8028.
    void SetPositionText(const std::string& text);
    // 8038: a notice. While a menu's help is shown, the notice waits and appears when the
    // menu closes.
    void ShowNotice(const std::string& text);
    // 8037 with a text: shows it until RestoreText, keeping what was shown before.
    void ShowTransientHelp(const std::string& text);
    // 8037 with wParam 8037 and an empty text: the text from before the help comes back.
    void RestoreText();
    // Message 8037 as sent: restores for wParam 8037 with no or an empty text, else shows the
    // text (a null text as empty).
    void TransientHelpMessage(std::uintptr_t wparam, const char* text);

    // WM_MENUSELECT for an item (0 for a sub-menu or separator): utilities 1320-1331 show
    // message 405 with their program and arguments, any other item its help text
    // (catalogue text of the command + 7000) as "%s."; an item without help shows nothing.
    void MenuSelect(unsigned command);
    // The menu closed.
    void MenuClosed() { RestoreText(); }
    void SetUtilityDescriber(UtilityDescriber describer) { describer_ = std::move(describer); }

    // Back to empty, without notifying.
    void Reset();

  private:
    void Changed();

    std::string position_;
    std::string text_;
    std::string saved_;  // the text from before the help
    bool helpShown_ = false;
    UtilityDescriber describer_;
};

// The frame's status pane.
StatusPane& FrameStatusPane();

}  // namespace velt
