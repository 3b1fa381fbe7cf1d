#include "shell/exit_questions.h"

#include <string>
#include <vector>

#include "shell/document_host.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {

namespace {

bool gDebugSessionRunning = false;

constexpr unsigned kCloseDebugSessionQuestion = 31;

}  // namespace

void SetDebugSessionRunning(bool running) {
    gDebugSessionRunning = running;
}

bool DebugSessionRunning() {
    return gDebugSessionRunning;
}

bool OfferModifiedDocuments() {
    DocumentHost& docs = CurrentDocuments();
    const std::vector<DocumentSummary> all = docs.Documents();
    std::vector<std::size_t> indices;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!all[i].modified || all[i].internalBuffer) continue;
        indices.push_back(i);
        names.push_back(all[i].name);
    }
    if (names.empty()) return true;

    switch (CurrentUi().AskModifiedFiles(names)) {
        case kIdYes:
            for (std::size_t index : indices)
                if (!docs.SaveDocument(index)) return false;
            return true;
        case kIdNo:
            return true;
        default:
            // Cancel, and anything a front end might answer by mistake: nothing is lost.
            return false;
    }
}

CloseDecision ConfirmClose() {
    if (gDebugSessionRunning && !AskYesNoId(kCloseDebugSessionQuestion)) return CloseDecision::Veto;
    return OfferModifiedDocuments() ? CloseDecision::Proceed : CloseDecision::Veto;
}

}  // namespace velt
