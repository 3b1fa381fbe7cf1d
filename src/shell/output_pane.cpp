#include "shell/output_pane.h"

#include "shell/ui.h"

namespace velt {
namespace {

const std::vector<std::string> kNoLines;

void Changed(const std::string& page) {
    CurrentUi().OutputPaneChanged(page);
}

}  // namespace

OutputPane::OutputPane() {
    Reset();
}

void OutputPane::Reset() {
    pages_.clear();
    pages_.push_back({kBuildPage, {}, std::nullopt, {}, {}});
    pages_.push_back({kSearchPage, {}, std::nullopt, {}, {}});
    active_ = kBuildPage;
}

OutputPane::Page* OutputPane::Find(const std::string& name) {
    for (Page& p : pages_)
        if (p.name == name) return &p;
    return nullptr;
}

const OutputPane::Page* OutputPane::Find(const std::string& name) const {
    for (const Page& p : pages_)
        if (p.name == name) return &p;
    return nullptr;
}

bool OutputPane::AddPage(const std::string& name) {
    if (name.empty() || Find(name)) return false;
    pages_.push_back({name, {}, std::nullopt, {}, {}});
    Changed(name);
    return true;
}

bool OutputPane::HasPage(const std::string& name) const {
    return Find(name) != nullptr;
}

std::vector<std::string> OutputPane::PageNames() const {
    std::vector<std::string> names;
    for (const Page& p : pages_) names.push_back(p.name);
    return names;
}

bool OutputPane::SetActivePage(const std::string& name) {
    if (!Find(name)) return false;
    if (active_ != name) {
        active_ = name;
        Changed(name);
    }
    return true;
}

const std::vector<std::string>& OutputPane::Lines(const std::string& page) const {
    const Page* p = Find(page);
    return p ? p->lines : kNoLines;
}

bool OutputPane::Append(const std::string& page, const std::string& text) {
    Page* p = Find(page);
    if (!p) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        std::string line = text.substr(start, lf == std::string::npos ? lf : lf - start);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        p->lines.push_back(std::move(line));
        if (lf == std::string::npos) break;
        start = lf + 1;
        if (start == text.size()) break;  // a closing LF ends the last line, adds none
    }
    Changed(page);
    return true;
}

bool OutputPane::Clear(const std::string& page) {
    Page* p = Find(page);
    if (!p) return false;
    p->lines.clear();
    p->selected.reset();
    Changed(page);
    return true;
}

bool OutputPane::SelectLine(const std::string& page, std::optional<std::size_t> index) {
    Page* p = Find(page);
    if (!p || (index && *index >= p->lines.size())) return false;
    if (p->selected != index) {
        p->selected = index;
        Changed(page);
    }
    return true;
}

std::optional<std::size_t> OutputPane::SelectedLine(const std::string& page) const {
    const Page* p = Find(page);
    return p ? p->selected : std::nullopt;
}

void OutputPane::SetRefill(const std::string& page, OutputRefill refill) {
    if (Page* p = Find(page)) p->refill = std::move(refill);
}

bool OutputPane::Refill(const std::string& page) {
    const Page* p = Find(page);
    if (!p || !p->refill) return false;
    // A copy: the routine clears and appends, and may add pages.
    OutputRefill refill = p->refill;
    refill();
    return true;
}

void OutputPane::SetDoubleClickAction(const std::string& page, OutputAction action) {
    if (Page* p = Find(page)) p->doubleClick = std::move(action);
}

bool OutputPane::DoubleClick(const std::string& page, std::size_t index) {
    const Page* p = Find(page);
    if (!p || !p->doubleClick || index >= p->lines.size()) return false;
    SelectLine(page, index);
    // Copies: the action may clear the page or add pages.
    OutputAction action = p->doubleClick;
    const std::string line = p->lines[index];
    action(index, line);
    return true;
}

OutputPane& FrameOutputPane() {
    static OutputPane pane;
    return pane;
}

}  // namespace velt
