// The "Project" page of the configuration sheet: the open project's make command,
// diagnostics file and directories, each with its explanation, and what is only shown (name,
// kind of target, output file, program arguments).
#pragma once

#include "config_dialog.h"

class QLineEdit;

namespace velt {
class ProjectPage;
}

namespace velt::gui {

class ProjectPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    ProjectPageWidget(ProjectPage& page, QWidget* parent = nullptr);
    void store() override;

  private:
    ProjectPage& page_;
    QLineEdit* makeCommand_;
    QLineEdit* errorFile_;
    QLineEdit* makeDir_;
    QLineEdit* sourcesDir_;
};

}  // namespace velt::gui
