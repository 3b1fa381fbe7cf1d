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

namespace {
std::string TitleOf(const std::vector<std::pair<EditView*, std::string>>& titles, EditView* v) {
    for (const auto& [view, title] : titles)
        if (view == v) return title;
    return "?";
}
}  // namespace

bool ScriptedUi::OpenDocumentWindow(EditView* view, const std::string& title, bool maximised) {
    windowCalls.push_back((maximised ? "open max " : "open ") + title);
    if (refuseWindows) return false;
    titles_.emplace_back(view, title);
    windows.push_back(view);
    return true;
}

void ScriptedUi::ActivateDocumentWindow(EditView* view) {
    windowCalls.push_back("activate " + TitleOf(titles_, view));
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (windows[i] == view) {
            windows.erase(windows.begin() + static_cast<long>(i));
            windows.push_back(view);
            break;
        }
}

void ScriptedUi::MaximiseDocumentWindow(EditView* view) {
    windowCalls.push_back("maximise " + TitleOf(titles_, view));
}

void ScriptedUi::CloseDocumentWindow(EditView* view) {
    windowCalls.push_back("close " + TitleOf(titles_, view));
    std::erase(windows, view);
    std::erase_if(titles_, [view](const auto& t) { return t.first == view; });
}

void ScriptedUi::SetDocumentWindowTitle(EditView* view, const std::string& title) {
    for (auto& t : titles_)
        if (t.first == view) t.second = title;
    windowCalls.push_back("title " + title);
}

std::string ScriptedUi::ChooseFile(const std::string& caption, const std::string&, bool,
                                   const std::string& initial) {
    fileChoices.push_back(caption + "|" + initial);
    if (chosenFiles.empty()) return {};
    std::string f = chosenFiles.front();
    chosenFiles.pop_front();
    return f;
}

int ScriptedUi::ChooseFromList(const std::string&, const std::vector<std::string>& rows) {
    lists.push_back(rows);
    if (listAnswers.empty()) return -1;
    int r = listAnswers.front();
    listAnswers.pop_front();
    return r;
}

int ScriptedUi::ChooseFromPopupMenu(const std::vector<std::string>& items) {
    popupMenus.push_back(items);
    if (popupAnswers.empty()) return -1;
    int r = popupAnswers.front();
    popupAnswers.pop_front();
    return r;
}

bool ScriptedUi::AskText(const std::string& caption, const std::string& prompt,
                         std::string& value) {
    prompts.push_back(caption + "|" + prompt + "|" + value);
    if (textAnswers.empty()) return false;
    value = textAnswers.front();
    textAnswers.pop_front();
    return true;
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
