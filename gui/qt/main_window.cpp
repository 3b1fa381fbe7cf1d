#include "main_window.h"

#include <QMdiArea>

#include "shell/messages.h"

namespace velt::gui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(GetMessageText(3969));  // the frame's window class name
    setWindowTitle("Velt");
    auto* documents = new QMdiArea(this);
    documents->setObjectName("MDIClient");
    setCentralWidget(documents);
    resize(900, 640);
}

}  // namespace velt::gui
