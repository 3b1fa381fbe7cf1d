// The projects' windows in the Qt front end: the project list ("Open a project", "Erase"),
// the document information dialog with the file processor of a project file, and what
// opening, saving and closing a project need of the frame (its window state, the places of
// reopened windows, its title). The records, checks and actions are the core's.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velt {
struct DocumentInformationRecord;
struct EditView;
struct OpenFileRecord;
struct ProjectListRecord;
}  // namespace velt

namespace velt::gui {

class MainWindow;

class ProjectListDialog : public QDialog {
    Q_OBJECT
  public:
    ProjectListDialog(ProjectListRecord& record, QWidget* parent = nullptr);

    // Closes only with a row selected; the record then holds the row and the check box.
    void accept() override;

  private:
    void selectionChanged();

    ProjectListRecord& record_;
    QListWidget* list_;
    QCheckBox* newWindow_ = nullptr;
    QPushButton* ok_;
};

class DocumentInformationDialog : public QDialog {
    Q_OBJECT
  public:
    DocumentInformationDialog(DocumentInformationRecord& record, QWidget* parent = nullptr);

    // Closes only when the core accepts the processor's fields.
    void accept() override;

  private:
    DocumentInformationRecord& record_;
    QLineEdit* command_ = nullptr;
    QLineEdit* output_ = nullptr;
};

// Gives the window of `view` in `frame` the rectangle and state of a reopened project window.
void PlaceReopenedWindow(MainWindow* frame, EditView* view, const OpenFileRecord& record);

// The core shows the dialogs through its hooks and reaches the frame through the project
// window hooks, all owned by `frame`.
void InstallProjectWindows(MainWindow* frame);
void UninstallProjectWindows(MainWindow* frame);

}  // namespace velt::gui
