// The search dialogs: "Search" (Find), "Search and replace" (Replace) and the "Replace"
// question asked before each confirmed replacement. The dialogs only show the core's
// records and copy the user's entries back; checking, storing and searching are the core's.
#pragma once

#include <QDialog>
#include <string>

#include "editor/search.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velt::gui {

// The direction radio buttons ("Forwards", "Backwards", "Wrap"); none checked is the
// record's SearchDirection::None, which the core refuses with "Direction ?".
struct DirectionButtons {
    QRadioButton* forwards;
    QRadioButton* backwards;
    QRadioButton* wrap;

    void show(SearchDirection direction);
    SearchDirection chosen() const;
};

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    // `record` has been loaded by the core and must outlive the dialog.
    explicit FindDialog(FindDialogRecord& record, QWidget* parent = nullptr);

    // OK: the entries go into the record; the dialog closes only when the core accepts them.
    void accept() override;

  private:
    // Copies the entries into the record.
    void store();
    // "Match case" and "Search iconized windows" enabled as the record says.
    void updateEnabled();

    FindDialogRecord& record_;
    QComboBox* text_;
    QCheckBox* regex_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWords_;
    QRadioButton* currentWindow_;
    QRadioButton* allWindows_;
    QCheckBox* searchMinimised_;
    DirectionButtons direction_;
};

class ReplaceDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReplaceDialog(ReplaceDialogRecord& record, QWidget* parent = nullptr);

    void accept() override;

  private:
    void store();
    void updateEnabled();

    ReplaceDialogRecord& record_;
    QComboBox* text_;
    QLineEdit* replacement_;
    QRadioButton* currentWindow_;
    QRadioButton* allWindows_;
    QCheckBox* wholeWords_;
    QCheckBox* regex_;
    QCheckBox* matchCase_;
    DirectionButtons direction_;
    QCheckBox* confirm_;
};

// The "Replace" question for one match: Yes, No, All or Cancel (Esc and the close button
// count as Cancel).
ReplaceAnswer AskReplace(QWidget* parent, const std::string& found);

// Makes the core show these dialogs, owned by `frame` (a MainWindow: its MDI area also
// tells which document windows are minimised). Uninstalling forgets them again, when
// `frame` is still the frame they belong to.
void InstallSearchDialogs(QWidget* frame);
void UninstallSearchDialogs(QWidget* frame);

}  // namespace velt::gui
