#include "scripted_ui.h"

namespace velt::testing {

ScriptedUi::ScriptedUi() { previous_ = SetUi(this); }

ScriptedUi::~ScriptedUi() { SetUi(previous_); }

int ScriptedUi::MessageBox(const std::string& text, const std::string& caption, unsigned style,
                           BoxOwner owner) {
    boxes.push_back({text, caption, style, owner});
    if (!answers.empty()) {
        int r = answers.front();
        answers.pop_front();
        return r;
    }
    unsigned buttons = style & 0xF;
    if (buttons == kMbOk) return kIdOk;
    ++unanswered;
    return buttons == kMbYesNo ? kIdNo : kIdCancel;
}

int ScriptedUi::AskModifiedFiles(const std::vector<std::string>& names) {
    modifiedFileLists.push_back(names);
    if (!answers.empty()) {
        int r = answers.front();
        answers.pop_front();
        return r;
    }
    ++unanswered;
    return kIdCancel;
}

std::vector<std::string> ScriptedUi::Texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes) out.push_back(b.text);
    return out;
}

void ScriptedUi::Clear() {
    boxes.clear();
    modifiedFileLists.clear();
    answers.clear();
    unanswered = restores = beeps = statusChanges = 0;
    outputChanges.clear();
}

}  // namespace velt::testing
