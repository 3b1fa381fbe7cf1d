// The status pane along the bottom of the frame ("VeltOutput"): the message part (notices,
// and a menu item's help while a menu is open) and the cursor position, as the core's
// StatusPane holds them.
#pragma once

#include <QFrame>

class QLabel;

namespace velt::gui {

class StatusPaneWidget : public QFrame {
    Q_OBJECT
  public:
    explicit StatusPaneWidget(QWidget* parent = nullptr);

    // Shows what FrameStatusPane() holds now.
    void refresh();

    QString messageText() const;
    QString positionText() const;

  private:
    QLabel* message_;
    QLabel* position_;
};

}  // namespace velt::gui
