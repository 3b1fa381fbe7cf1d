// The output pane below the documents: one tab per page of the core's OutputPane ("build",
// "search", and the pages later parts add), each a list of its lines. Choosing a tab runs the
// page's refill routine; a double-click on a line runs the page's action.
#pragma once

#include <QFont>
#include <QTabWidget>
#include <string>

class QListWidget;

namespace velt::gui {

class OutputPaneWidget : public QTabWidget {
    Q_OBJECT
  public:
    explicit OutputPaneWidget(QWidget* parent = nullptr);

    // Shows what FrameOutputPane() holds for `page` now (and any page added meanwhile).
    void refresh(const std::string& page);
    // Every page, as after a start.
    void refreshAll();
    // The font of every page's lines, now and for pages added later.
    void setPageFont(const QFont& font);
    // The list of a page; null for an unknown one.
    QListWidget* pageList(const std::string& page) const;

  private:
    void syncPages();
    void syncLines(QListWidget* list, const std::string& page);
    std::string pageAt(int index) const;

    bool updating_ = false;  // the widgets are being set from the model
    QFont pageFont_;
};

}  // namespace velt::gui
