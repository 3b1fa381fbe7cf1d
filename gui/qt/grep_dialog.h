// Find in files: the dialog "Global Regular Expression Print (GREP)", which only shows the
// core's record and copies the user's entries back, and the watcher of a running search,
// which asks the core for its progress on a timer and stops the search on Esc.
#pragma once

#include <QDialog>
#include <QObject>

#include "analysis/grep.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

namespace velt::gui {

class GrepDialog : public QDialog {
    Q_OBJECT
  public:
    // `record` has been loaded by the core and must outlive the dialog.
    explicit GrepDialog(GrepDialogRecord& record, QWidget* parent = nullptr);

    // "&Search": the entries go into the record; the dialog closes only when the core
    // accepts them.
    void accept() override;

  private:
    void store();
    void updateEnabled();
    void severalWordsToggled(bool on);

    GrepDialogRecord& record_;
    QComboBox* expression_;
    QLineEdit* masks_;
    QComboBox* directory_;
    QCheckBox* regex_;
    QCheckBox* ignoreCase_;
    QCheckBox* wholeWords_;
    QCheckBox* severalWords_;
    QCheckBox* subdirectories_;
    QPushButton* search_;
};

// Polls the running search until it has ended; Esc anywhere in the program stops it
// meanwhile (and does nothing else).
class GrepWatcher : public QObject {
    Q_OBJECT
  public:
    explicit GrepWatcher(QObject* parent = nullptr);
    void start();
    bool watching() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void poll();

    QTimer* timer_;
};

// Makes the core show the dialog owned by `frame` and watch its searches; uninstalling
// (for the same frame) forgets both again and stops a search that still runs.
void InstallGrepDialog(QWidget* frame);
void UninstallGrepDialog(QWidget* frame);

}  // namespace velt::gui
