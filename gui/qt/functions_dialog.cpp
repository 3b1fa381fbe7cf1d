#include "functions_dialog.h"
#include "qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace velt::gui {

namespace {

QPointer<QWidget> gFunctionsFrame;


}  // namespace

FunctionsDialog::FunctionsDialog(FunctionsDialogRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("FunctionsDialog");
    setWindowTitle(Q(record.title));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("functions");
    layout->addWidget(list_, 1);
    sorted_ = new QCheckBox("Sorted", this);
    sorted_->setObjectName("sorted");
    sorted_->setChecked(record.sorted);
    layout->addWidget(sorted_);
    status_ = new QLabel(Q(record.Status()), this);
    status_->setObjectName("status");
    layout->addWidget(status_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &FunctionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FunctionsDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &FunctionsDialog::accept);
    connect(sorted_, &QCheckBox::toggled, this, [this](bool on) {
        record_.sorted = on;
        fill();
    });
    fill();
    list_->setFocus();
}

void FunctionsDialog::fill() {
    const QListWidgetItem* current = list_->currentItem();
    const int keep = current ? current->data(Qt::UserRole).toInt() : 0;
    list_->clear();
    for (const int index : record_.Rows()) {
        auto* item = new QListWidgetItem(Q(record_.names[static_cast<std::size_t>(index)]));
        item->setData(Qt::UserRole, index);
        list_->addItem(item);
        if (index == keep) list_->setCurrentItem(item);
    }
}

void FunctionsDialog::accept() {
    const QListWidgetItem* item = list_->currentItem();
    if (!item) return;
    record_.chosen = item->data(Qt::UserRole).toInt();
    QDialog::accept();
}

void FunctionsDialog::done(int result) {
    record_.sorted = sorted_->isChecked();
    QDialog::done(result);
}

void InstallFunctionsDialog(QWidget* frame) {
    gFunctionsFrame = frame;
    gFunctionsDialog = [](FunctionsDialogRecord& record) {
        FunctionsDialog dialog(
            record, gFunctionsFrame ? gFunctionsFrame.data() : QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    };
}

void UninstallFunctionsDialog(QWidget* frame) {
    // A frame made since (a test's) keeps its dialog.
    if (gFunctionsFrame && gFunctionsFrame != frame) return;
    gFunctionsFrame = nullptr;
    gFunctionsDialog = nullptr;
}

}  // namespace velt::gui
