// The functions list dialog (F12): the functions of the current document, in source order or
// sorted, with their number; choosing one closes it. The record and what a choice does are
// the core's.
#pragma once

#include <QDialog>

#include "analysis/function_commands.h"

class QCheckBox;
class QLabel;
class QListWidget;

namespace velt::gui {

class FunctionsDialog : public QDialog {
    Q_OBJECT
  public:
    // `record` has been loaded by the core and must outlive the dialog.
    explicit FunctionsDialog(FunctionsDialogRecord& record, QWidget* parent = nullptr);

    // OK, Enter or a double click: the current row becomes the record's choice.
    void accept() override;
    // The check box goes back to the record however the dialog closes.
    void done(int result) override;

  private:
    // Fills the list in the record's order, keeping the current function.
    void fill();

    FunctionsDialogRecord& record_;
    QListWidget* list_;
    QCheckBox* sorted_;
    QLabel* status_;
};

// Sets the core's gFunctionsDialog hook to show the dialog over `frame`, and takes it away.
void InstallFunctionsDialog(QWidget* frame);
void UninstallFunctionsDialog(QWidget* frame);

}  // namespace velt::gui
