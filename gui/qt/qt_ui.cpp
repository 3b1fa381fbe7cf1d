#include "qt_ui.h"
#include "qt_text.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "editor_window.h"
#include "main_window.h"
#include "name_list_question.h"

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
    NameListQuestion q;
    q.objectName = "ModifiedFiles";
    q.title = "Modified files";
    q.rows = names;
    q.yesLabel = "&Save all";
    q.yesObjectName = "saveAll";
    return AskNameListQuestion(frame_, q);
}

// ---- Editor windows

QMdiSubWindow* QtUi::documentWindow(EditView* view) const {
    const auto it = windows_.find(view);
    return it == windows_.end() ? nullptr : it->second.data();
}

EditorWindow* QtUi::editorWindow(EditView* view) const {
    return EditorOf(documentWindow(view));
}

bool QtUi::OpenDocumentWindow(EditView* view, const std::string& title, bool maximised) {
    auto* frame = qobject_cast<MainWindow*>(frame_);
    if (!frame || !view) return false;
    if (documentWindow(view)) {  // one window per view
        ActivateDocumentWindow(view);
        return true;
    }
    auto* editor = new EditorWindow(view, frame->settings());
    auto* window = new DocumentSubWindow(editor);
    window->setWindowTitle(Q(title));
    frame->mdiArea()->addSubWindow(window);
    windows_[view] = window;
    // However the window goes, the view is no longer shown by it.
    QObject::connect(window, &QObject::destroyed, frame, [this, view, window] {
        const auto it = windows_.find(view);
        if (it != windows_.end() && (it->second.isNull() || it->second.data() == window))
            windows_.erase(it);
    });
    if (maximised)
        window->showMaximized();
    else
        window->show();
    frame->mdiArea()->setActiveSubWindow(window);
    editor->setFocus();
    return true;
}

void QtUi::ActivateDocumentWindow(EditView* view) {
    auto* frame = qobject_cast<MainWindow*>(frame_);
    QMdiSubWindow* window = documentWindow(view);
    if (!frame || !window) return;
    if (window->isMinimized()) window->showNormal();
    frame->mdiArea()->setActiveSubWindow(window);
    if (QWidget* editor = window->widget()) editor->setFocus();
}

void QtUi::CloseDocumentWindow(EditView* view) {
    const auto it = windows_.find(view);
    if (it == windows_.end()) return;
    QPointer<QMdiSubWindow> window = it->second;
    windows_.erase(it);
    if (auto* doc = qobject_cast<DocumentSubWindow*>(window.data())) doc->closeFromCore();
}

void QtUi::SetDocumentWindowTitle(EditView* view, const std::string& title) {
    if (QMdiSubWindow* window = documentWindow(view)) window->setWindowTitle(Q(title));
}

void QtUi::RepaintDocumentWindow(EditView* view) {
    if (EditorWindow* editor = editorWindow(view)) editor->coreChanged();
}

bool QtUi::IsActiveDocumentMaximised() {
    auto* frame = qobject_cast<MainWindow*>(frame_);
    if (!frame) return false;
    // The current window, also while another application has the focus.
    const QMdiSubWindow* active = frame->mdiArea()->currentSubWindow();
    return active && active->isMaximized();
}

void QtUi::MaximiseDocumentWindow(EditView* view) {
    if (QMdiSubWindow* window = documentWindow(view)) window->showMaximized();
}

std::string QtUi::ChooseFile(const std::string& caption, const std::string& filter, bool forSaving,
                             const std::string& initial) {
    QFileDialog dialog(frame_, Q(caption), QString(), Q(filter));
    dialog.setObjectName("fileChooser");
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!initial.empty()) {
        const QFileInfo info(Q(initial));
        if (info.isAbsolute()) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

bool QtUi::GetClipboardText(std::string& text) {
    const QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard || !clipboard->mimeData() || !clipboard->mimeData()->hasText()) return false;
    text = clipboard->text().toLocal8Bit().toStdString();
    return true;
}

void QtUi::SetClipboardText(const std::string& text) {
    if (QClipboard* clipboard = QApplication::clipboard())
        clipboard->setText(
            QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

int QtUi::ChooseFromList(const std::string& caption, const std::vector<std::string>& rows) {
    QDialog dialog(frame_);
    dialog.setWindowTitle(QString::fromLocal8Bit(caption.c_str()));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("choices");
    for (const std::string& row : rows) list->addItem(QString::fromLocal8Bit(row.c_str()));
    if (!rows.empty()) list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}

int QtUi::ChooseFromPopupMenu(const std::vector<std::string>& items) {
    QMenu menu(frame_);
    menu.setObjectName("popupChoices");
    for (std::size_t i = 0; i < items.size(); ++i) {
        // An ampersand would be taken for a mnemonic.
        QAction* action = menu.addAction(Q(items[i]).replace('&', "&&"));
        action->setData(static_cast<int>(i));
    }
    const QAction* chosen = menu.exec(QCursor::pos());
    return chosen ? chosen->data().toInt() : -1;
}

bool QtUi::AskText(const std::string& caption, const std::string& prompt, std::string& value) {
    bool ok = false;
    QString text = QInputDialog::getText(frame_, QString::fromLocal8Bit(caption.c_str()),
                                         QString::fromLocal8Bit(prompt.c_str()), QLineEdit::Normal,
                                         QString::fromLocal8Bit(value.c_str()), &ok);
    if (!ok) return false;
    value = text.toLocal8Bit().toStdString();
    return true;
}

}  // namespace velt::gui
