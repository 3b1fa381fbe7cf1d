// The "Compiler" and "Linker"/"Librarian" pages of the configuration sheet over their core
// records, and the front end of makefile generation (progress window, "File processor").
#pragma once

#include "config_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velt {
class CompilerPage;
class LinkerPage;
}  // namespace velt

namespace velt::gui {

class CompilerPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    CompilerPageWidget(CompilerPage& page, QWidget* parent = nullptr);
    void store() override;

  private:
    void sync();
    CompilerPage& page_;
    QLineEdit* defines_;
    QLineEdit* includes_;
    QLineEdit* errorFile_;
    QCheckBox *asm_, *browse_, *optimise_, *debug_, *trace_, *traceLines_, *intermediate_,
        *pentium_, *unused_;
    QRadioButton *normal_, *all_, *ansi_, *extensions_;
    QComboBox* alignment_;
};

class LinkerPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    LinkerPageWidget(LinkerPage& page, QWidget* parent = nullptr);
    void store() override;

  private:
    void sync();
    LinkerPage& page_;
    QLineEdit *libraries_, *exe_, *entry_, *args_;
    QCheckBox *noDebug_, *windows_, *console_, *dll_, *library_, *map_, *noUnderscores_;
};

// Shows generation progress in a window over `parent` and asks for file processors with a
// dialog; call once after the main window exists.
void InstallMakefileFrontEnd(QWidget* parent);
// Takes both back before `parent` goes.
void UninstallMakefileFrontEnd();

}  // namespace velt::gui
