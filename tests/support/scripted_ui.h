// A Ui for tests: records every call and answers questions from a queue.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "shell/ui.h"

namespace velt::testing {

class ScriptedUi : public Ui {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style = 0;
        BoxOwner owner = BoxOwner::Frame;
    };

    ScriptedUi();   // registers itself
    ~ScriptedUi();  // puts the previous Ui back

    int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                   BoxOwner owner) override;
    void RestoreFrameIfMinimised() override { ++restores; }
    void Beep() override { ++beeps; }
    void StatusPaneChanged() override { ++statusChanges; }
    void OutputPaneChanged(const std::string& page) override { outputChanges.push_back(page); }
    // Records the names and answers from the queue (Cancel when it is empty).
    int AskModifiedFiles(const std::vector<std::string>& names) override;

    // Editor windows: each call is recorded as "open <title>" ("open max <title>" when
    // maximised), "activate <title>", "close <title>", "title <title>"; repaints are counted.
    bool OpenDocumentWindow(EditView* view, const std::string& title, bool maximised) override;
    void ActivateDocumentWindow(EditView* view) override;
    void CloseDocumentWindow(EditView* view) override;
    void SetDocumentWindowTitle(EditView* view, const std::string& title) override;
    void RepaintDocumentWindow(EditView*) override { ++repaints; }
    bool IsActiveDocumentMaximised() override { return activeMaximised; }
    // Recorded as "maximise <title>".
    void MaximiseDocumentWindow(EditView* view) override;
    // Answers from `chosenFiles` (empty: cancelled); records "caption|initial".
    std::string ChooseFile(const std::string& caption, const std::string& filter,
                           bool forSaving, const std::string& initial) override;
    // The clipboard is `clipboard` (absent when `clipboardHasText` is false).
    bool GetClipboardText(std::string& text) override {
        if (clipboardHasText) text = clipboard;
        return clipboardHasText;
    }
    void SetClipboardText(const std::string& text) override {
        clipboard = text;
        clipboardHasText = true;
    }
    // Lists are recorded in `lists` and answered from `listAnswers` (-1 when empty); prompts
    // are recorded in `prompts` and answered from `textAnswers` (cancelled when empty).
    int ChooseFromList(const std::string& caption, const std::vector<std::string>& rows) override;
    // Pop-up menus are recorded in `popupMenus` and answered from `popupAnswers` (-1 when
    // empty).
    int ChooseFromPopupMenu(const std::vector<std::string>& items) override;
    bool AskText(const std::string& caption, const std::string& prompt,
                 std::string& value) override;

    // Queues the answers of the next boxes (kIdYes, kIdNo, kIdCancel, ...).
    void Answer(int result) { answers.push_back(result); }

    // The texts of every box shown, in order.
    std::vector<std::string> Texts() const;
    void Clear();

    std::vector<Box> boxes;
    std::vector<std::vector<std::string>> modifiedFileLists;  // one per AskModifiedFiles
    std::vector<std::string> windowCalls;
    std::vector<EditView*> windows;  // open windows, the active one last
    int repaints = 0;
    bool activeMaximised = false;
    bool refuseWindows = false;  // OpenDocumentWindow fails
    std::deque<std::string> chosenFiles;
    std::string clipboard;
    bool clipboardHasText = false;
    std::vector<std::vector<std::string>> lists;
    std::deque<int> listAnswers;
    std::vector<std::vector<std::string>> popupMenus;
    std::deque<int> popupAnswers;
    std::vector<std::string> prompts;
    std::deque<std::string> textAnswers;
    std::vector<std::string> fileChoices;
    std::deque<int> answers;
    int unanswered = 0;  // boxes that asked a question the queue did not answer
    int restores = 0;
    int beeps = 0;
    int statusChanges = 0;
    std::vector<std::string> outputChanges;  // the page of each change, in order

private:
    Ui* previous_ = nullptr;
    std::vector<std::pair<EditView*, std::string>> titles_;
};

}  // namespace velt::testing
