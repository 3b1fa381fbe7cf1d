// The "Utilities" page of the configuration sheet: the list of the utilities' names, the
// fields of one utility and the buttons that change the list at once.
#pragma once

#include "config_dialog.h"

class QLineEdit;
class QListWidget;

namespace velt {
class UtilitiesPage;
}

namespace velt::gui {

class UtilitiesPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    UtilitiesPageWidget(UtilitiesPage& page, QWidget* parent = nullptr);
    void store() override;

  private slots:
    void rowChanged(int row);
    void browse();
    void changeOrAdd();
    void remove();

  private:
    void showList();
    void showFields();

    UtilitiesPage& page_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* program_;
    QLineEdit* arguments_;
    QLineEdit* startDir_;
    bool filling_ = false;
};

}  // namespace velt::gui
