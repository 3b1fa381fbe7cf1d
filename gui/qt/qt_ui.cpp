#include "qt_ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace velt::gui {

int QtUi::MessageBox(const std::string& text, const std::string& caption, unsigned style,
                     BoxOwner owner) {
    QWidget* parent = owner == BoxOwner::ActiveWindow && QApplication::activeWindow()
                          ? QApplication::activeWindow()
                          : frame_;
    QMessageBox box(parent);
    box.setText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
    box.setWindowTitle(caption.empty() ? QApplication::applicationDisplayName()
                                       : QString::fromLocal8Bit(caption.c_str()));
    switch (style & 0xF0) {
        case kMbIconHand:
            box.setIcon(QMessageBox::Critical);
            break;
        case kMbIconQuestion:
            box.setIcon(QMessageBox::Question);
            break;
        case kMbIconExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case kMbIconInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    switch (style & 0xF) {
        case kMbYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case kMbYesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    if (style & kMbTaskModal) box.setWindowModality(Qt::ApplicationModal);
    if (style & kMbSetForeground) {
        box.show();
        box.raise();
        box.activateWindow();
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        case QMessageBox::Cancel:
            return kIdCancel;
        case QMessageBox::Ok:
            return kIdOk;
        default:
            // Closed with Esc or the window's close button.
            return (style & 0xF) == kMbYesNo ? kIdNo : (style & 0xF) == kMbOk ? kIdOk : kIdCancel;
    }
}

void QtUi::RestoreFrameIfMinimised() {
    if (frame_ && frame_->isMinimized()) frame_->showNormal();
}

void QtUi::Beep() { QApplication::beep(); }

}  // namespace velt::gui
