// The "Execute a program" dialog: name, arguments and start directory of a program to start.
// It fills the core's record; the check and the start are the core's.
#pragma once

#include <QDialog>

class QLineEdit;

namespace velt {
struct ExecuteProgramRecord;
}

namespace velt::gui {

class ExecuteProgramDialog : public QDialog {
    Q_OBJECT
  public:
    ExecuteProgramDialog(ExecuteProgramRecord& record, QWidget* parent = nullptr);

    // Closes only when the core accepts the record ("No name of the program?" otherwise).
    void accept() override;

  private slots:
    void browse();

  private:
    ExecuteProgramRecord& record_;
    QLineEdit* name_;
    QLineEdit* arguments_;
    QLineEdit* startDir_;
};

// The core shows the dialog through gExecuteProgramDialog, owned by `frame`.
void InstallExecuteDialog(QWidget* frame);
void UninstallExecuteDialog(QWidget* frame);

}  // namespace velt::gui
