// A modal list of names with three buttons: a yes-button of the caller's (kIdYes), "&Forget"
// (kIdNo) and "&Cancel" (kIdCancel, also Esc and the close button, so nothing is lost).
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace velt::gui {

struct NameListQuestion {
    std::string objectName;  // of the dialog, for tests
    std::string title;
    std::vector<std::string> rows;
    std::string yesLabel;
    std::string yesObjectName;
    bool showForget = true;
    bool widenToRows = false;  // make the list wide enough for whole rows, within reason
};

int AskNameListQuestion(QWidget* parent, const NameListQuestion& question);

}  // namespace velt::gui
