#include "project_dialogs.h"
#include "qt_text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "editor_window.h"
#include "frame_menus.h"
#include "main_window.h"
#include "project/file_processors.h"
#include "project/project.h"
#include "project/project_menu.h"
#include "project/project_windows.h"

namespace velt::gui {

namespace {

QPointer<MainWindow> gProjectFrame;


// The frame's title without a project.
constexpr char kPlainTitle[] = "Velt";

}  // namespace

// ---- The project list

ProjectListDialog::ProjectListDialog(ProjectListRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("projectListDialog");
    setWindowTitle(Q(record.title));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget;
    list_->setObjectName("projectNames");
    for (const std::string& name : record.names) list_->addItem(Q(name));
    layout->addWidget(list_);
    if (record.offerNewWindow) {
        newWindow_ = new QCheckBox(kNewWindowLabel);
        newWindow_->setObjectName("newWindow");
        newWindow_->setChecked(record.newWindow);
        layout->addWidget(newWindow_);
    }
    auto* buttons = new QDialogButtonBox;
    buttons->setObjectName("buttons");
    ok_ = buttons->addButton(Q(record.okText), QDialogButtonBox::AcceptRole);
    ok_->setObjectName("ok");
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProjectListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProjectListDialog::reject);
    connect(list_, &QListWidget::itemSelectionChanged, this, &ProjectListDialog::selectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ProjectListDialog::accept);
    if (record.OkEnabled()) list_->setCurrentRow(record.selected);
    selectionChanged();
}

void ProjectListDialog::selectionChanged() {
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    record_.selected = chosen.isEmpty() ? -1 : list_->row(chosen.front());
    ok_->setEnabled(record_.OkEnabled());
}

void ProjectListDialog::accept() {
    selectionChanged();
    if (!record_.OkEnabled()) return;
    if (newWindow_) record_.newWindow = newWindow_->isChecked();
    QDialog::accept();
}

// ---- The document information

DocumentInformationDialog::DocumentInformationDialog(DocumentInformationRecord& record,
                                                     QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("documentInformationDialog");
    setWindowTitle(Q(record.title));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(Q(record.text));
    text->setObjectName("information");
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    if (record.projectFile) {
        auto* group = new QGroupBox("File processor");
        group->setObjectName("fileProcessor");
        auto* form = new QFormLayout(group);
        command_ = new QLineEdit(Q(record.command));
        command_->setObjectName("processorCommand");
        command_->setMaxLength(static_cast<int>(kProjectFieldMax));
        form->addRow(kProcessorCommandLabel, command_);
        output_ = new QLineEdit(Q(record.output));
        output_->setObjectName("processorOutput");
        output_->setMaxLength(static_cast<int>(kProjectFieldMax));
        form->addRow(kProcessorOutputLabel, output_);
        layout->addWidget(group);
        buttons->addButton(QDialogButtonBox::Cancel);
    }
    buttons->setObjectName("buttons");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &DocumentInformationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DocumentInformationDialog::reject);
}

void DocumentInformationDialog::accept() {
    if (command_) {
        record_.command = S(command_->text());
        record_.output = S(output_->text());
    }
    if (!record_.Accept()) {
        (record_.command.find_first_not_of(" \t") == std::string::npos ? command_ : output_)
            ->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- The frame

void PlaceReopenedWindow(MainWindow* frame, EditView* view, const OpenFileRecord& r) {
    if (!frame || !view) return;
    QMdiSubWindow* window = nullptr;
    for (QMdiSubWindow* w : frame->mdiArea()->subWindowList())
        if (const EditorWindow* editor = EditorOf(w); editor && editor->view() == view) window = w;
    if (!window) return;
    // The marks are the signs; the magnitudes are the normal rectangle in screen coordinates.
    const int left = std::abs(r.left), right = std::abs(r.right);
    if (!r.maximised() && window->isMaximized()) window->showNormal();
    if (right > left && r.bottom > r.top) {
        const QPoint at = frame->mdiArea()->viewport()->mapFromGlobal(QPoint(left, r.top));
        window->setGeometry(QRect(at, QSize(right - left, r.bottom - r.top)));
    }
    if (r.minimised())
        window->showMinimized();
    else if (r.maximised())
        window->showMaximized();
}

void InstallProjectWindows(MainWindow* frame) {
    gProjectFrame = frame;
    gProjectListDialog = [](ProjectListRecord& record) {
        ProjectListDialog dialog(record, gProjectFrame.data());
        return dialog.exec() == QDialog::Accepted;
    };
    gDocumentInformationDialog = [](DocumentInformationRecord& record) {
        DocumentInformationDialog dialog(record, gProjectFrame.data());
        return dialog.exec() == QDialog::Accepted;
    };
    ProjectWindowHooks hooks;
    hooks.windowState = [] {
        if (!gProjectFrame) {
            SaveContext none;
            none.projectOpen = ProjectIsOpen();
            return none;
        }
        return gProjectFrame->saveContext();
    };
    hooks.placeDocumentWindow = [](EditView* view, const OpenFileRecord& record) {
        PlaceReopenedWindow(gProjectFrame.data(), view, record);
    };
    hooks.restoreFrameIfMaximised = [] {
        if (gProjectFrame && gProjectFrame->isMaximized()) gProjectFrame->showNormal();
    };
    hooks.setFrameTitle = [](const std::string& title) {
        if (gProjectFrame) gProjectFrame->setWindowTitle(title.empty() ? kPlainTitle : Q(title));
    };
    hooks.toolChainChanged = [] {
        if (gProjectFrame && gProjectFrame->menus()) gProjectFrame->menus()->rebuildAll();
    };
    // There is no files toolbar in this front end: showFilesToolbar keeps its default.
    SetProjectWindowHooks(std::move(hooks));
}

void UninstallProjectWindows(MainWindow* frame) {
    // A frame made since (a test's) keeps its windows.
    if (gProjectFrame && gProjectFrame != frame) return;
    gProjectFrame = nullptr;
    gProjectListDialog = nullptr;
    gDocumentInformationDialog = nullptr;
    SetProjectWindowHooks({});
}

}  // namespace velt::gui
