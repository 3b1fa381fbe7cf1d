#include "status_pane_widget.h"
#include "qt_text.h"

#include <QHBoxLayout>
#include <QLabel>

#include "shell/status_pane.h"

namespace velt::gui {

StatusPaneWidget::StatusPaneWidget(QWidget* parent) : QFrame(parent) {
    setObjectName("VeltOutput");  // the pane's window class name
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    message_ = new QLabel(this);
    message_->setObjectName("statusText");
    message_->setTextFormat(Qt::PlainText);
    // A long notice must not widen the frame beyond its minimum size.
    message_->setMinimumWidth(0);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    position_ = new QLabel(this);
    position_->setObjectName("positionText");
    position_->setTextFormat(Qt::PlainText);
    position_->setFrameShape(QFrame::StyledPanel);
    position_->setFrameShadow(QFrame::Sunken);
    position_->setAlignment(Qt::AlignCenter);
    position_->setMinimumWidth(fontMetrics().horizontalAdvance("00000:000 *") + 12);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(8);
    layout->addWidget(message_, 1);
    layout->addWidget(position_);
    refresh();
}

void StatusPaneWidget::refresh() {
    const StatusPane& pane = FrameStatusPane();
    message_->setText(Q(pane.Text()));
    position_->setText(Q(pane.PositionText()));
}

QString StatusPaneWidget::messageText() const {
    return message_->text();
}

QString StatusPaneWidget::positionText() const {
    return position_->text();
}

}  // namespace velt::gui
