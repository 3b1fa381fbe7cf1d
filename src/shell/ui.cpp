#include "shell/ui.h"

namespace velt {
namespace {

// Answers every box with its default button; stands in until a front end registers.
class SilentUi : public Ui {
public:
    int MessageBox(const std::string&, const std::string&, unsigned style, BoxOwner) override {
        switch (style & 0xF) {
            case kMbYesNo:
                return kIdNo;
            case kMbYesNoCancel:
                return kIdCancel;
            default:
                return kIdOk;
        }
    }
    void RestoreFrameIfMinimised() override {}
    void Beep() override {}
    void StatusPaneChanged() override {}
    void OutputPaneChanged(const std::string&) override {}
    // Nobody can be asked: keep the IDE open rather than lose or overwrite anything.
    int AskModifiedFiles(const std::vector<std::string>&) override { return kIdCancel; }
    // Without a window system a document simply has no window.
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
    // No clipboard, lists or prompts without a window system: nothing is chosen.
    bool GetClipboardText(std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
    int ChooseFromList(const std::string&, const std::vector<std::string>&) override { return -1; }
    bool AskText(const std::string&, const std::string&, std::string&) override { return false; }
};

SilentUi gSilent;
Ui* gUi = &gSilent;

}  // namespace

Ui& CurrentUi() { return *gUi; }

Ui* SetUi(Ui* ui) {
    Ui* previous = gUi == &gSilent ? nullptr : gUi;
    gUi = ui ? ui : &gSilent;
    return previous;
}

}  // namespace velt
