#include "shell/ui.h"

namespace velt {

int HeadlessUi::MessageBox(const std::string&, const std::string&, unsigned style, BoxOwner) {
    switch (style & 0xF) {
        case kMbYesNo:
            return kIdNo;
        case kMbYesNoCancel:
            return kIdCancel;
        default:
            return kIdOk;
    }
}

namespace {

// Stands in until a front end registers.
HeadlessUi gSilent;
Ui* gUi = &gSilent;

}  // namespace

Ui& CurrentUi() {
    return *gUi;
}

Ui* SetUi(Ui* ui) {
    Ui* previous = gUi == &gSilent ? nullptr : gUi;
    gUi = ui ? ui : &gSilent;
    return previous;
}

}  // namespace velt
