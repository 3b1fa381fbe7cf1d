#include "new_project_dialogs.h"
#include "qt_text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWizardPage>

#include "build_pages.h"
#include "config_dialog.h"
#include "main_window.h"
#include "project/new_project.h"

namespace velt::gui {

namespace {

QPointer<MainWindow> gNewProjectFrame;


// A field with its label and the line of explanation under the label.
QLineEdit* Field(QFormLayout* form, const char* label, const char* note, const std::string& value,
                 const char* name) {
    auto* edit = new QLineEdit(Q(value));
    edit->setObjectName(name);
    auto* caption = new QWidget;
    auto* lines = new QVBoxLayout(caption);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addWidget(new QLabel(label));
    auto* small = new QLabel(note);
    small->setEnabled(false);
    lines->addWidget(small);
    form->addRow(caption, edit);
    return edit;
}

// "C sources (*.c)" ... in the chooser's form, and the row of the one preselected.
QStringList ChooserFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) out << Q(f.label + " (" + f.pattern + ")");
    return out;
}

}  // namespace

// ---- "Definition of a new project"

NewProjectDialog::NewProjectDialog(NewProjectRecord& record, Project& project, QWidget* parent)
    : QDialog(parent), record_(record), project_(project) {
    setObjectName("newProjectDialog");
    setWindowTitle(kNewProjectTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = Field(form, "Name of the project", "(Without path)", record.name, "projectName");
    auto* pathRow = new QWidget;
    auto* pathLine = new QHBoxLayout(pathRow);
    pathLine->setContentsMargins(0, 0, 0, 0);
    path_ = new QLineEdit(Q(record.path));
    path_->setObjectName("projectPath");
    auto* browse = new QPushButton("Browse");
    browse->setObjectName("browse");
    browse->setAutoDefault(false);
    pathLine->addWidget(path_, 1);
    pathLine->addWidget(browse);
    {
        auto* caption = new QWidget;
        auto* lines = new QVBoxLayout(caption);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(0);
        lines->addWidget(new QLabel("Path"));
        auto* small = new QLabel("Working directory:");
        small->setEnabled(false);
        lines->addWidget(small);
        form->addRow(caption, pathRow);
    }
    output_ =
        Field(form, "Output directory", "Objects and executables", record.outputDir, "outputDir");
    layout->addLayout(form);

    auto* middle = new QHBoxLayout;
    auto* users = new QGroupBox("Users");
    users->setObjectName("users");
    auto* usersLayout = new QVBoxLayout(users);
    auto* single = new QRadioButton("Single user");
    single->setObjectName("singleUser");
    multiUser_ = new QRadioButton("Multi user");
    multiUser_->setObjectName("multiUser");
    usersLayout->addWidget(single);
    usersLayout->addWidget(multiUser_);
    (record.multiUser ? multiUser_ : single)->setChecked(true);
    middle->addWidget(users);

    auto* type = new QGroupBox("Type of project");
    type->setObjectName("projectType");
    auto* typeLayout = new QVBoxLayout(type);
    types_ = new QButtonGroup(this);
    int id = 0;
    for (const ProjectTypeChoice& choice : kProjectTypes) {
        auto* radio = new QRadioButton(choice.label);
        radio->setObjectName(QString("type%1").arg(id));
        types_->addButton(radio, id);
        typeLayout->addWidget(radio);
        if (choice.bit == record.type) radio->setChecked(true);
        ++id;
    }
    middle->addWidget(type);
    layout->addLayout(middle);

    versioning_ = new QCheckBox("Use versioning system");
    versioning_->setObjectName("useVersioning");
    versioning_->setChecked(record.useVersioning);
    // Without the versioning system there is nothing to check the files in to.
    versioning_->setEnabled(NewProjectRecord::VersioningOffered());
    layout->addWidget(versioning_);

    auto* buttons = new QDialogButtonBox;
    buttons->setObjectName("buttons");
    QPushButton* create = buttons->addButton("&Create", QDialogButtonBox::AcceptRole);
    create->setObjectName("create");
    create->setDefault(true);
    QPushButton* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancel");
    QPushButton* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    help->setObjectName("help");
    // There is no help file for this dialog.
    help->setEnabled(false);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &NewProjectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewProjectDialog::reject);
    connect(name_, &QLineEdit::editingFinished, this, &NewProjectDialog::nameLeft);
    connect(path_, &QLineEdit::editingFinished, this, &NewProjectDialog::pathLeft);
    connect(browse, &QPushButton::clicked, this, &NewProjectDialog::browse);
    checkedName_ = name_->text();
    path_->setFocus();
}

void NewProjectDialog::nameLeft() {
    if (name_->text() == checkedName_) return;
    checkedName_ = name_->text();
    record_.name = S(name_->text());
    record_.NameLeft();
    name_->setText(Q(record_.name));
    checkedName_ = name_->text();
}

void NewProjectDialog::pathLeft() {
    if (path_->text() == checkedPath_) return;
    checkedPath_ = path_->text();
    record_.path = S(path_->text());
    record_.PathLeft();
    output_->setText(Q(record_.outputDir));
}

void NewProjectDialog::browse() {
    const QString dir = QFileDialog::getExistingDirectory(this, "Browse", path_->text());
    if (dir.isEmpty()) return;
    record_.PathLeft(S(dir));
    path_->setText(Q(record_.path));
    checkedPath_ = path_->text();
    output_->setText(Q(record_.outputDir));
}

void NewProjectDialog::store() {
    record_.name = S(name_->text());
    record_.path = S(path_->text());
    record_.outputDir = S(output_->text());
    record_.multiUser = multiUser_->isChecked();
    record_.useVersioning = versioning_->isEnabled() && versioning_->isChecked();
    const int type = types_->checkedId();
    if (type >= 0) record_.type = kProjectTypes[type].bit;
}

void NewProjectDialog::accept() {
    store();
    checkedName_ = name_->text();
    checkedPath_ = path_->text();
    if (!record_.Create(project_)) {
        name_->setText(Q(record_.name));
        checkedName_ = name_->text();
        return;
    }
    QDialog::accept();
}

// ---- The source files

SourceFilesDialog::SourceFilesDialog(SourceFilesRecord& record, Project& project, QWidget* parent)
    : QDialog(parent), record_(record), project_(project) {
    setObjectName("sourceFilesDialog");
    setWindowTitle(Q(record.title));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    list_ = new QListWidget;
    list_->setObjectName("files");
    left->addWidget(list_, 1);
    auto* hint = new QLabel(kSourceFilesHint);
    hint->setObjectName("hint");
    hint->setWordWrap(true);
    left->addWidget(hint);
    layout->addLayout(left, 1);
    auto* right = new QVBoxLayout;
    auto button = [this, right](const char* text, const char* name) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setAutoDefault(false);
        right->addWidget(b);
        return b;
    };
    QPushButton* add = button("&Add...", "add");
    QPushButton* remove = button("&Remove", "remove");
    QPushButton* validate = button("&Validate", "validate");
    validate->setDefault(true);
    QPushButton* cancel = button("&Cancel", "cancel");
    right->addStretch();
    layout->addLayout(right);
    connect(add, &QPushButton::clicked, this, &SourceFilesDialog::add);
    connect(remove, &QPushButton::clicked, this, &SourceFilesDialog::remove);
    connect(validate, &QPushButton::clicked, this, &SourceFilesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SourceFilesDialog::reject);
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { record_.selected = row; });
    showList();
}

void SourceFilesDialog::showList() {
    const QSignalBlocker block(list_);
    list_->clear();
    for (const std::string& n : record_.names) list_->addItem(Q(n));
    if (record_.selected >= 0 && record_.selected < list_->count())
        list_->setCurrentRow(record_.selected);
}

void SourceFilesDialog::add() {
    if (record_.Add()) showList();
}

void SourceFilesDialog::remove() {
    record_.selected = list_->currentRow();
    if (record_.Remove()) showList();
}

void SourceFilesDialog::accept() {
    if (!record_.Validate(project_)) return;
    QDialog::accept();
}

// ---- "Compiler configuration"

BuildSettingsWizard::BuildSettingsWizard(BuildSettingsSequence& sequence, QWidget* parent)
    : QWizard(parent), sequence_(sequence) {
    setObjectName("buildSettingsWizard");
    setWindowTitle(kBuildSettingsTitle);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    auto page = [this](const char* title, const char* name, ConfigPageWidget* widget) {
        auto* p = new QWizardPage;
        p->setObjectName(name);
        p->setTitle(title);
        auto* layout = new QVBoxLayout(p);
        layout->addWidget(widget);
        addPage(p);
    };
    compiler_ = new CompilerPageWidget(sequence.compiler);
    linker_ = new LinkerPageWidget(sequence.linker);
    page(kCompilerSettingsTitle, "compilerSettings", compiler_);
    page(kLinkerSettingsTitle, "linkerSettings", linker_);
}

void BuildSettingsWizard::accept() {
    compiler_->store();
    linker_->store();
    if (sequence_.Finish() <= 0) return;
    QWizard::accept();
}

// ---- The hooks

void InstallNewProjectWindows(MainWindow* frame) {
    gNewProjectFrame = frame;
    gNewProjectDialog = [](NewProjectRecord& record, Project& project) {
        NewProjectDialog dialog(record, project, gNewProjectFrame.data());
        return dialog.exec() == QDialog::Accepted;
    };
    gSourceFilesDialog = [](SourceFilesRecord& record, Project& project) {
        SourceFilesDialog dialog(record, project, gNewProjectFrame.data());
        return dialog.exec() == QDialog::Accepted;
    };
    gChooseSourceFiles = [](const std::string& caption, const std::vector<FileFilter>& filters,
                            int row, const std::string& directory) {
        const QStringList list = ChooserFilters(filters);
        QString selected = row >= 0 && row < list.size() ? list[row] : QString();
        const QStringList chosen = QFileDialog::getOpenFileNames(
            QApplication::activeWindow(), Q(caption), Q(directory), list.join(";;"), &selected);
        std::vector<std::string> out;
        for (const QString& f : chosen) out.push_back(S(f));
        return out;
    };
    gBuildSettingsDialog = [](BuildSettingsSequence& sequence) {
        BuildSettingsWizard wizard(sequence, gNewProjectFrame.data());
        return wizard.exec() == QDialog::Accepted;
    };
    NewProjectWindowHooks hooks;
    hooks.frameWindow = [] {
        return gNewProjectFrame ? static_cast<std::uint64_t>(gNewProjectFrame->winId())
                                : std::uint64_t{0};
    };
    // The state before minimising, so that a maximised frame comes back maximised.
    static Qt::WindowStates before;
    hooks.minimiseFrame = [] {
        if (!gNewProjectFrame) return;
        before = gNewProjectFrame->windowState();
        gNewProjectFrame->showMinimized();
    };
    hooks.restoreFrame = [] {
        if (!gNewProjectFrame) return;
        gNewProjectFrame->setWindowState(before & ~Qt::WindowMinimized);
        gNewProjectFrame->show();
        gNewProjectFrame->activateWindow();
    };
    SetNewProjectWindowHooks(std::move(hooks));
}

void UninstallNewProjectWindows(MainWindow* frame) {
    // A frame made since (a test's) keeps its windows.
    if (gNewProjectFrame && gNewProjectFrame != frame) return;
    gNewProjectFrame = nullptr;
    gNewProjectDialog = nullptr;
    gSourceFilesDialog = nullptr;
    gChooseSourceFiles = nullptr;
    gBuildSettingsDialog = nullptr;
    SetNewProjectWindowHooks({});
}

}  // namespace velt::gui
