#include "execute_dialog.h"
#include "qt_text.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/run_program.h"

namespace velt::gui {

namespace {

QPointer<QWidget> gExecuteFrame;


}  // namespace

ExecuteProgramDialog::ExecuteProgramDialog(ExecuteProgramRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("executeProgramDialog");
    setWindowTitle(kExecuteDialogTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(Q(record.name));
    name_->setObjectName("programName");
    name_->setMaxLength(static_cast<int>(kExecuteFieldLength));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_);
    auto* browse = new QPushButton("&Browse");
    browse->setObjectName("browseProgram");
    browse->setAutoDefault(false);
    nameRow->addWidget(browse);
    form->addRow("Name:", nameRow);
    arguments_ = new QLineEdit(Q(record.arguments));
    arguments_->setObjectName("programArguments");
    arguments_->setMaxLength(static_cast<int>(kExecuteFieldLength));
    form->addRow("Arguments:", arguments_);
    startDir_ = new QLineEdit(Q(record.startDir));
    startDir_->setObjectName("programStartDir");
    startDir_->setMaxLength(static_cast<int>(kExecuteFieldLength));
    form->addRow("Start directory", startDir_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName("buttons");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExecuteProgramDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExecuteProgramDialog::reject);
    connect(browse, &QPushButton::clicked, this, &ExecuteProgramDialog::browse);
    resize(480, sizeHint().height());
}

void ExecuteProgramDialog::accept() {
    record_.name = S(name_->text());
    record_.arguments = S(arguments_->text());
    record_.startDir = S(startDir_->text());
    if (!record_.Validate()) {
        name_->setFocus();
        return;
    }
    QDialog::accept();
}

void ExecuteProgramDialog::browse() {
    const QString start =
        name_->text().isEmpty() ? startDir_->text() : QFileInfo(name_->text()).absolutePath();
    QFileDialog dialog(this, kExecuteDialogTitle, start);
    dialog.setObjectName("programChooser");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        name_->setText(dialog.selectedFiles().first());
}

void InstallExecuteDialog(QWidget* frame) {
    gExecuteFrame = frame;
    gExecuteProgramDialog = [](ExecuteProgramRecord& record) {
        ExecuteProgramDialog dialog(record, gExecuteFrame.data());
        return dialog.exec() == QDialog::Accepted;
    };
}

void UninstallExecuteDialog(QWidget* frame) {
    // A frame made since (a test's) keeps its dialog.
    if (gExecuteFrame && gExecuteFrame != frame) return;
    gExecuteFrame = nullptr;
    gExecuteProgramDialog = nullptr;
}

}  // namespace velt::gui
