#include "utilities_page.h"
#include "qt_text.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/utilities.h"

namespace velt::gui {

UtilitiesPageWidget::UtilitiesPageWidget(UtilitiesPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QHBoxLayout(this);

    list_ = new QListWidget;
    list_->setObjectName("utilityList");
    layout->addWidget(list_, 1);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    name_ = new QLineEdit;
    name_->setObjectName("utilityName");
    form->addRow(kUtilityNameLabel, name_);
    auto* programRow = new QHBoxLayout;
    program_ = new QLineEdit;
    program_->setObjectName("utilityProgram");
    auto* browse = new QPushButton("Browse...");
    browse->setObjectName("browseUtility");
    programRow->addWidget(program_);
    programRow->addWidget(browse);
    form->addRow(kUtilityProgramLabel, programRow);
    arguments_ = new QLineEdit;
    arguments_->setObjectName("utilityArguments");
    form->addRow(kUtilityArgumentsLabel, arguments_);
    startDir_ = new QLineEdit;
    startDir_->setObjectName("utilityStartDir");
    form->addRow(kUtilityStartDirLabel, startDir_);
    right->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto* change = new QPushButton("&Change/Add");
    change->setObjectName("changeUtility");
    auto* erase = new QPushButton("&Delete");
    erase->setObjectName("deleteUtility");
    buttons->addWidget(change);
    buttons->addWidget(erase);
    buttons->addStretch();
    right->addLayout(buttons);
    right->addStretch();
    layout->addLayout(right, 3);

    connect(list_, &QListWidget::currentRowChanged, this, &UtilitiesPageWidget::rowChanged);
    connect(browse, &QPushButton::clicked, this, &UtilitiesPageWidget::browse);
    connect(change, &QPushButton::clicked, this, &UtilitiesPageWidget::changeOrAdd);
    connect(erase, &QPushButton::clicked, this, &UtilitiesPageWidget::remove);
    showList();
    showFields();
}

void UtilitiesPageWidget::store() {
    page_.nickname = S(name_->text());
    page_.program = S(program_->text());
    page_.arguments = S(arguments_->text());
    page_.startDir = S(startDir_->text());
}

void UtilitiesPageWidget::showList() {
    filling_ = true;
    list_->clear();
    for (const std::string& name : page_.Names()) list_->addItem(Q(name));
    filling_ = false;
}

void UtilitiesPageWidget::showFields() {
    name_->setText(Q(page_.nickname));
    program_->setText(Q(page_.program));
    arguments_->setText(Q(page_.arguments));
    startDir_->setText(Q(page_.startDir));
}

void UtilitiesPageWidget::rowChanged(int row) {
    if (filling_) return;
    page_.Select(row);
    showFields();
}

void UtilitiesPageWidget::browse() {
    store();
    if (page_.Browse()) program_->setText(Q(page_.program));
}

void UtilitiesPageWidget::changeOrAdd() {
    store();
    if (!page_.ChangeOrAdd()) return;
    showList();
    showFields();
}

void UtilitiesPageWidget::remove() {
    store();
    if (!page_.Delete()) return;
    showList();
    showFields();
}

}  // namespace velt::gui
