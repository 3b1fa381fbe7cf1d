#include "autosave_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/ui.h"

namespace velt::gui {

int ShowAutosaveRestoreDialog(QWidget* parent, const AutosaveRestoreDialog& d) {
    QDialog dialog(parent);
    dialog.setObjectName("AutosaveRestore");
    dialog.setWindowTitle(QString::fromLocal8Bit(d.title.c_str()));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("names");
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const std::string& row : d.rows)
        list->addItem(QString::fromLocal8Bit(row.data(), static_cast<qsizetype>(row.size())));
    // Wide enough for whole names and time stamps, within reason.
    list->setMinimumWidth(std::min(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24, 900));
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* restore = buttons->addButton(QString::fromLocal8Bit(d.restoreLabel.c_str()),
                                              QDialogButtonBox::AcceptRole);
    QPushButton* forget = buttons->addButton("&Forget", QDialogButtonBox::DestructiveRole);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    restore->setObjectName("restore");
    forget->setObjectName("forget");
    cancel->setObjectName("cancel");
    forget->setVisible(d.showForget);
    restore->setDefault(true);
    layout->addWidget(buttons);

    int result = kIdCancel;
    QObject::connect(restore, &QPushButton::clicked, &dialog, [&] {
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
