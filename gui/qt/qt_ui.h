// The Qt implementation of the core's Ui.
#pragma once

#include "shell/ui.h"

class QWidget;

namespace velt::gui {

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

    void setFrame(QWidget* frame) { frame_ = frame; }

private:
    QWidget* frame_;
};

}  // namespace velt::gui
