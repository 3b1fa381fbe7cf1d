// The About box: the program's name, its version line and what it is, in one line.
#pragma once

#include <QDialog>

namespace velt::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace velt::gui
