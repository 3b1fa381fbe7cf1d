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
