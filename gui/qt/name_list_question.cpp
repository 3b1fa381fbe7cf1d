#include "name_list_question.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/ui.h"

namespace velt::gui {

int AskNameListQuestion(QWidget* parent, const NameListQuestion& q) {
    QDialog dialog(parent);
    dialog.setObjectName(QString::fromStdString(q.objectName));
    dialog.setWindowTitle(QString::fromLocal8Bit(q.title.c_str()));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("names");
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const std::string& row : q.rows)
        list->addItem(QString::fromLocal8Bit(row.data(), static_cast<qsizetype>(row.size())));
    if (q.widenToRows)
        list->setMinimumWidth(
            std::min(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24, 900));
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* yes = buttons->addButton(QString::fromLocal8Bit(q.yesLabel.c_str()),
                                          QDialogButtonBox::AcceptRole);
    QPushButton* forget = buttons->addButton("&Forget", QDialogButtonBox::DestructiveRole);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    yes->setObjectName(QString::fromStdString(q.yesObjectName));
    forget->setObjectName("forget");
    cancel->setObjectName("cancel");
    forget->setVisible(q.showForget);
    yes->setDefault(true);
    layout->addWidget(buttons);

    int result = kIdCancel;
    QObject::connect(yes, &QPushButton::clicked, &dialog, [&] {
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
