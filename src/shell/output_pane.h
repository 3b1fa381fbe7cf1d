// The output pane below the documents: tabbed pages by name ("build", "search"; later
// "auto", "locals", "stack", "events"), each a list of lines with at most one selected. A
// page's owner registers how to refill it and what a double-click on a line does. The front
// end draws the pages and is told of every change through Ui::OutputPaneChanged(page).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velt {

inline constexpr char kBuildPage[] = "build";
inline constexpr char kSearchPage[] = "search";

// Refills the page (through the pane's Clear/Append).
using OutputRefill = std::function<void()>;
// A double-click on line `index` with its text.
using OutputAction = std::function<void(std::size_t index, const std::string& line)>;

class OutputPane {
  public:
    OutputPane();  // with the pages "build" and "search"

    // Adds a page after the existing ones; an existing page stays as it is. False for an
    // empty name or an existing page.
    bool AddPage(const std::string& name);
    bool HasPage(const std::string& name) const;
    // The page names in tab order.
    std::vector<std::string> PageNames() const;

    // The page shown; the first page until another is chosen.
    const std::string& ActivePage() const { return active_; }
    bool SetActivePage(const std::string& name);

    // The page's lines; empty for an unknown page.
    const std::vector<std::string>& Lines(const std::string& page) const;
    // Appends text to the page: each line of it (split at LF, a CR before the LF dropped)
    // becomes a line of the page. False for an unknown page.
    bool Append(const std::string& page, const std::string& text);
    // Removes every line and the selection.
    bool Clear(const std::string& page);
    // Selects line `index`; nullopt removes the selection. False (and nothing changes) for
    // an unknown page or a line that does not exist.
    bool SelectLine(const std::string& page, std::optional<std::size_t> index);
    std::optional<std::size_t> SelectedLine(const std::string& page) const;

    void SetRefill(const std::string& page, OutputRefill refill);
    // Runs the page's refill routine; false when the page has none.
    bool Refill(const std::string& page);
    void SetDoubleClickAction(const std::string& page, OutputAction action);
    // Selects the line and runs the page's double-click action; false for an unknown page or
    // line, or a page without an action.
    bool DoubleClick(const std::string& page, std::size_t index);

    // Back to the two empty pages without owners, without notifying.
    void Reset();

  private:
    struct Page {
        std::string name;
        std::vector<std::string> lines;
        std::optional<std::size_t> selected;
        OutputRefill refill;
        OutputAction doubleClick;
    };
    Page* Find(const std::string& name);
    const Page* Find(const std::string& name) const;

    std::vector<Page> pages_;
    std::string active_;
};

// The frame's output pane.
OutputPane& FrameOutputPane();

}  // namespace velt
