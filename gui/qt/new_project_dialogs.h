// The windows of New project: "Definition of a new project", the source-files dialog with its
// file chooser, and the build settings pages run one after the other ("Compiler
// configuration"). The rules are the core's records (project/new_project.h); these only show
// them and hand the user's entries back.
#pragma once

#include <QDialog>
#include <QWizard>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velt {
struct BuildSettingsSequence;
struct NewProjectRecord;
struct Project;
struct SourceFilesRecord;
}  // namespace velt

namespace velt::gui {

class MainWindow;
class ConfigPageWidget;

class NewProjectDialog : public QDialog {
    Q_OBJECT
  public:
    NewProjectDialog(NewProjectRecord& record, Project& project, QWidget* parent = nullptr);

    // "&Create": closes only when the core made the directories.
    void accept() override;

  private:
    void nameLeft();
    void pathLeft();
    void browse();
    void store();

    NewProjectRecord& record_;
    Project& project_;
    QLineEdit* name_;
    QLineEdit* path_;
    QLineEdit* output_;
    QRadioButton* multiUser_;
    QCheckBox* versioning_;
    QButtonGroup* types_;
    // The texts last checked, so that a box shown while checking (which takes the focus
    // away again) does not check the same text twice.
    QString checkedName_;
    QString checkedPath_;
};

class SourceFilesDialog : public QDialog {
    Q_OBJECT
  public:
    SourceFilesDialog(SourceFilesRecord& record, Project& project, QWidget* parent = nullptr);

    // "&Validate": closes only when the core accepts the list.
    void accept() override;

  private:
    void add();
    void remove();
    void showList();

    SourceFilesRecord& record_;
    Project& project_;
    QListWidget* list_;
};

class BuildSettingsWizard : public QWizard {
    Q_OBJECT
  public:
    explicit BuildSettingsWizard(BuildSettingsSequence& sequence, QWidget* parent = nullptr);

    // "Finish": every page's entries go to the core, which stores them.
    void accept() override;

  private:
    BuildSettingsSequence& sequence_;
    ConfigPageWidget* compiler_;
    ConfigPageWidget* linker_;
};

// Fills the core's hooks of New project with these windows over `frame`.
void InstallNewProjectWindows(MainWindow* frame);
void UninstallNewProjectWindows(MainWindow* frame);

}  // namespace velt::gui
