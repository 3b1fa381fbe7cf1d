// The one channel through which the core reaches the user. The Qt front end implements it;
// tests use a scripted implementation that records every call and answers from a queue.
// Later subsystems add their small methods here rather than a second channel.
#pragma once

#include <string>
#include <vector>

namespace velt {

struct EditView;

// Message-box styles, with the values of the system's own toolkit so that stored and traced
// values read the same everywhere.
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconHand = 0x10,  // stop icon
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,
    kMbTaskModal = 0x2000,
    kMbSetForeground = 0x10000,
};

// Message-box results.
enum : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

// Which window owns a modal box.
enum class BoxOwner {
    Frame,         // the main frame window
    ActiveWindow,  // whichever window is active
};

class Ui {
  public:
    virtual ~Ui() = default;

    // Shows a modal box and returns the button pressed (kIdOk, kIdYes, ...). An empty caption
    // means the window system's default caption.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                           BoxOwner owner) = 0;
    // Restores the main frame when it is minimised (before an error box is shown).
    virtual void RestoreFrameIfMinimised() = 0;
    // The short warning sound.
    virtual void Beep() = 0;
    // The status pane's texts changed (FrameStatusPane() holds them).
    virtual void StatusPaneChanged() = 0;
    // A page of the output pane changed (FrameOutputPane() holds it): lines, selection, the
    // page shown, or the page itself was added.
    virtual void OutputPaneChanged(const std::string& page) = 0;
    // The "Modified files" question before closing: lists `names` with the buttons
    // "&Save all" (kIdYes), "&Forget" (kIdNo) and "&Cancel" (kIdCancel).
    virtual int AskModifiedFiles(const std::vector<std::string>& names) = 0;

    // Editor windows ("clMDIDocument"). Each shows one EditView, which the core owns and which
    // names the window in every call. Open creates the window (maximised when asked) and
    // makes it the active one; false when no window can be made (the core then releases the
    // view). Close destroys the window without asking anything: the questions are the core's.
    virtual bool OpenDocumentWindow(EditView* view, const std::string& title, bool maximised) = 0;
    virtual void ActivateDocumentWindow(EditView* view) = 0;
    virtual void CloseDocumentWindow(EditView* view) = 0;
    virtual void SetDocumentWindowTitle(EditView* view, const std::string& title) = 0;
    // The view's window must be painted again (cursor, text or scroll position changed).
    virtual void RepaintDocumentWindow(EditView* view) = 0;
    // Whether the active document window is maximised (new windows follow it).
    virtual bool IsActiveDocumentMaximised() = 0;
    // Maximises the view's window (after the command line's files, request 3501).
    virtual void MaximiseDocumentWindow(EditView* view) { (void)view; }

    // The file chooser: `caption` ("Open", "Save as", ...), `filter` as "Text (*.c *.h)"
    // entries separated by ";;", `initial` the proposed name. Empty when cancelled.
    virtual std::string ChooseFile(const std::string& caption, const std::string& filter,
                                   bool forSaving, const std::string& initial) = 0;

    // The system clipboard as plain text (bytes as the editor holds them; line ends as the
    // clipboard has them). Get returns false when the clipboard holds no text.
    virtual bool GetClipboardText(std::string& text) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // A modal list: returns the chosen row, or -1 when cancelled.
    virtual int ChooseFromList(const std::string& caption,
                               const std::vector<std::string>& rows) = 0;
    // A pop-up menu of `items` at the mouse pointer: the chosen item's index, or -1 when it
    // was dismissed.
    virtual int ChooseFromPopupMenu(const std::vector<std::string>& items) = 0;
    // A one-line prompt: false when cancelled; `value` holds the proposal on entry.
    virtual bool AskText(const std::string& caption, const std::string& prompt,
                         std::string& value) = 0;
};

// A Ui without a window system (the stand-in before a front end registers, command-line
// tools, benchmarks): every box gets its default button (Ok, No, Cancel), nobody is asked
// about modified files (Cancel: nothing is lost), documents have no windows, and nothing is
// chosen, copied or typed. Derive and override what a tool does differently.
class HeadlessUi : public Ui {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                   BoxOwner owner) override;
    void RestoreFrameIfMinimised() override {}
    void Beep() override {}
    void StatusPaneChanged() override {}
    void OutputPaneChanged(const std::string&) override {}
    int AskModifiedFiles(const std::vector<std::string>&) override { return kIdCancel; }
    bool OpenDocumentWindow(EditView*, const std::string&, bool) override { return true; }
    void ActivateDocumentWindow(EditView*) override {}
    void CloseDocumentWindow(EditView*) override {}
    void SetDocumentWindowTitle(EditView*, const std::string&) override {}
    void RepaintDocumentWindow(EditView*) override {}
    bool IsActiveDocumentMaximised() override { return false; }
    std::string ChooseFile(const std::string&, const std::string&, bool,
                           const std::string&) override {
        return {};
    }
    bool GetClipboardText(std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
    int ChooseFromList(const std::string&, const std::vector<std::string>&) override { return -1; }
    int ChooseFromPopupMenu(const std::vector<std::string>&) override { return -1; }
    bool AskText(const std::string&, const std::string&, std::string&) override { return false; }
};

// The registered Ui. Until a front end registers one, a silent Ui answers every box with its
// default button (Ok, No, Cancel), so the core never dereferences nothing.
Ui& CurrentUi();
// Registers `ui` (not owned); null goes back to the silent one. Returns the previous one.
Ui* SetUi(Ui* ui);

}  // namespace velt
