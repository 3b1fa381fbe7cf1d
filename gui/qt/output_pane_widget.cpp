#include "output_pane_widget.h"
#include "qt_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>

#include "frame_keys.h"
#include "shell/output_pane.h"
#include "shell/shortcuts.h"

namespace velt::gui {

namespace {


// A tab shows its page's name as it stands ("build", "search").
QString TabLabel(const std::string& page) { return Q(page); }

constexpr char kPageProperty[] = "veltPage";

// A page's list. The keys it keeps end here, used or not, so that they never travel on to
// the frame's shortcut table (Ctrl+C must not copy a document's block from here).
class OutputList : public QListWidget {
  public:
    using QListWidget::QListWidget;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const VirtualKey key = VirtualKeyFromEvent(*event);
        if (key.ctrl && (key.vk == 'C' || key.vk == kVkInsert) && OutputListKeepsKey(key)) {
            if (QListWidgetItem* item = currentItem())
                QGuiApplication::clipboard()->setText(item->text());
            event->accept();
            return;
        }
        QListWidget::keyPressEvent(event);
        if (OutputListKeepsKey(key)) event->accept();
    }
};

}  // namespace

OutputPaneWidget::OutputPaneWidget(QWidget* parent) : QTabWidget(parent), pageFont_(font()) {
    setObjectName("outputPane");
    setDocumentMode(true);
    setTabPosition(QTabWidget::South);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (updating_ || index < 0) return;
        const std::string page = pageAt(index);
        OutputPane& pane = FrameOutputPane();
        pane.SetActivePage(page);
        pane.Refill(page);
    });
    refreshAll();
}

std::string OutputPaneWidget::pageAt(int index) const {
    QWidget* w = widget(index);
    return w ? w->property(kPageProperty).toString().toStdString() : std::string();
}

void OutputPaneWidget::setPageFont(const QFont& font) {
    pageFont_ = font;
    for (int i = 0; i < count(); ++i) widget(i)->setFont(font);
}

QListWidget* OutputPaneWidget::pageList(const std::string& page) const {
    for (int i = 0; i < count(); ++i)
        if (pageAt(i) == page) return qobject_cast<QListWidget*>(widget(i));
    return nullptr;
}

void OutputPaneWidget::syncPages() {
    const std::vector<std::string> names = FrameOutputPane().PageNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (pageList(name)) continue;
        auto* list = new OutputList;
        list->setObjectName(Q(name));
        list->setProperty(kPageProperty, Q(name));
        list->setUniformItemSizes(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setFrameShape(QFrame::NoFrame);
        list->setFont(pageFont_);
        connect(list, &QListWidget::currentRowChanged, this, [this, name](int row) {
            if (updating_) return;
            FrameOutputPane().SelectLine(name,
                                         row < 0 ? std::nullopt : std::optional<std::size_t>(row));
        });
        connect(list, &QListWidget::doubleClicked, this, [this, name](const QModelIndex& index) {
            if (updating_ || !index.isValid()) return;
            FrameOutputPane().DoubleClick(name, static_cast<std::size_t>(index.row()));
        });
        updating_ = true;
        insertTab(static_cast<int>(i), list, TabLabel(name));
        updating_ = false;
    }
}

void OutputPaneWidget::syncLines(QListWidget* list, const std::string& page) {
    const OutputPane& pane = FrameOutputPane();
    const std::vector<std::string>& lines = pane.Lines(page);
    const int shown = list->count();
    // Lines are only ever appended or cleared, so a page whose shown lines still start it
    // only needs the new ones; anything else is drawn afresh.
    const bool grows = static_cast<std::size_t>(shown) <= lines.size() &&
                       (shown == 0 || (list->item(0)->text() == Q(lines.front()) &&
                                       list->item(shown - 1)->text() == Q(lines[shown - 1])));
    if (!grows) list->clear();
    QStringList added;
    for (std::size_t i = grows ? shown : 0; i < lines.size(); ++i) added << Q(lines[i]);
    if (!added.isEmpty()) list->addItems(added);

    const std::optional<std::size_t> selected = pane.SelectedLine(page);
    const int row = selected ? static_cast<int>(*selected) : -1;
    if (list->currentRow() != row || (row >= 0 && !list->item(row)->isSelected())) {
        list->setCurrentRow(row);
        if (row < 0) list->clearSelection();
    }
    if (row >= 0)
        list->scrollToItem(list->item(row));
    else if (!added.isEmpty())
        list->scrollToBottom();
}

void OutputPaneWidget::refresh(const std::string& page) {
    updating_ = true;
    syncPages();
    if (QListWidget* list = pageList(page)) syncLines(list, page);
    if (QListWidget* active = pageList(FrameOutputPane().ActivePage())) setCurrentWidget(active);
    updating_ = false;
}

void OutputPaneWidget::refreshAll() {
    for (const std::string& page : FrameOutputPane().PageNames()) refresh(page);
    // A pane reset meanwhile may have left pages the model no longer has.
    for (int i = count() - 1; i >= 0; --i)
        if (!FrameOutputPane().HasPage(pageAt(i))) {
            updating_ = true;
            QWidget* w = widget(i);
            removeTab(i);
            delete w;
            updating_ = false;
        }
}

}  // namespace velt::gui
