#include "qt_ui.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "main_window.h"

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

void QtUi::Beep() {
    QApplication::beep();
}

void QtUi::StatusPaneChanged() {
    if (auto* frame = qobject_cast<MainWindow*>(frame_)) frame->statusPaneChanged();
}

void QtUi::OutputPaneChanged(const std::string& page) {
    if (auto* frame = qobject_cast<MainWindow*>(frame_)) frame->outputPaneChanged(page);
}

int QtUi::AskModifiedFiles(const std::vector<std::string>& names) {
    QDialog dialog(frame_);
    dialog.setObjectName("ModifiedFiles");
    dialog.setWindowTitle("Modified files");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("names");
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const std::string& name : names)
        list->addItem(QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size())));
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* saveAll = buttons->addButton("&Save all", QDialogButtonBox::AcceptRole);
    QPushButton* forget = buttons->addButton("&Forget", QDialogButtonBox::DestructiveRole);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    saveAll->setObjectName("saveAll");
    forget->setObjectName("forget");
    cancel->setObjectName("cancel");
    saveAll->setDefault(true);
    layout->addWidget(buttons);

    int result = kIdCancel;  // Esc and the window's close button keep the IDE open
    QObject::connect(saveAll, &QPushButton::clicked, &dialog, [&] {
        result = kIdYes;
        dialog.accept();
    });
    QObject::connect(forget, &QPushButton::clicked, &dialog, [&] {
        result = kIdNo;
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.exec();
    return result;
}

}  // namespace velt::gui
