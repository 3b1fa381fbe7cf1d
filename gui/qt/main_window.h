// The main frame window.
#pragma once

#include <QMainWindow>

namespace velt::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace velt::gui
