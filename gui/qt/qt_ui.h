// The Qt implementation of the core's Ui.
#pragma once

#include <QPointer>
#include <map>

#include "shell/ui.h"

class QMdiSubWindow;
class QWidget;

namespace velt::gui {

class EditorWindow;

class QtUi : public Ui {
  public:
    explicit QtUi(QWidget* frame) : frame_(frame) {}

    int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                   BoxOwner owner) override;
    void RestoreFrameIfMinimised() override;
    void Beep() override;
    void StatusPaneChanged() override;
    void OutputPaneChanged(const std::string& page) override;
    int AskModifiedFiles(const std::vector<std::string>& names) override;

    // The editor windows live in the frame's MDI area; without a MainWindow as the frame
    // none can be made.
    bool OpenDocumentWindow(EditView* view, const std::string& title, bool maximised) override;
    void ActivateDocumentWindow(EditView* view) override;
    void CloseDocumentWindow(EditView* view) override;
    void SetDocumentWindowTitle(EditView* view, const std::string& title) override;
    void RepaintDocumentWindow(EditView* view) override;
    bool IsActiveDocumentMaximised() override;
    void MaximiseDocumentWindow(EditView* view) override;

    std::string ChooseFile(const std::string& caption, const std::string& filter, bool forSaving,
                           const std::string& initial) override;
    bool GetClipboardText(std::string& text) override;
    void SetClipboardText(const std::string& text) override;
    int ChooseFromList(const std::string& caption, const std::vector<std::string>& rows) override;
    // A QMenu at the mouse pointer (object name "popupChoices").
    int ChooseFromPopupMenu(const std::vector<std::string>& items) override;
    bool AskText(const std::string& caption, const std::string& prompt,
                 std::string& value) override;

    void setFrame(QWidget* frame) { frame_ = frame; }

    // The window showing `view`, or null.
    QMdiSubWindow* documentWindow(EditView* view) const;
    EditorWindow* editorWindow(EditView* view) const;

  private:
    QWidget* frame_;
    std::map<EditView*, QPointer<QMdiSubWindow>> windows_;
};

}  // namespace velt::gui
