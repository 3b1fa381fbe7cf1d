#include "autosave_dialog.h"

#include "name_list_question.h"

namespace velt::gui {

int ShowAutosaveRestoreDialog(QWidget* parent, const AutosaveRestoreDialog& d) {
    NameListQuestion q;
    q.objectName = "AutosaveRestore";
    q.title = d.title;
    q.rows = d.rows;
    q.yesLabel = d.restoreLabel;
    q.yesObjectName = "restore";
    q.showForget = d.showForget;
    q.widenToRows = true;  // whole names and time stamps
    return AskNameListQuestion(parent, q);
}

}  // namespace velt::gui
