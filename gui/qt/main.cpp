#include <QApplication>

#include "main_window.h"
#include "qt_ui.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velt");
    QApplication::setApplicationDisplayName("Velt");
    velt::gui::MainWindow frame;
    velt::gui::QtUi ui(&frame);
    velt::SetUi(&ui);
    frame.show();
    int rc = app.exec();
    velt::SetUi(nullptr);
    return rc;
}
