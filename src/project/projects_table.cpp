#include "project/projects_table.h"

#include <algorithm>
#include <unordered_set>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "shell/compiler_root.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// No stored value holds a line break, so this default marks a missing key.
constexpr std::string_view kMissing = "\n";
// The longest value the profile calls of the system returned.
constexpr std::size_t kMaxValue = 511;

struct TableState {
    std::string root;
    std::deque<std::string> names;
    int entries = 0;
    std::string current;
};

TableState& State() {
    static TableState state;
    return state;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

const std::string& ProjectsRoot() {
    return State().root;
}

void SetProjectsRoot(const std::string& root) {
    State().root = root;
}

std::string ProjectsTableFile() {
    return pf::ResolveName(UnderRoot(State().root, "lib/projects.ini"));
}

const std::deque<std::string>& ProjectNames() {
    return State().names;
}

int ProjectsTableEntries() {
    return State().entries;
}

void AddProjectName(const std::string& name) {
    TableState& s = State();
    if (std::find(s.names.begin(), s.names.end(), name) != s.names.end()) return;
    s.names.push_front(name);
    ++s.entries;
}

void RemoveProjectName(const std::string& name) {
    TableState& s = State();
    auto it = std::find(s.names.begin(), s.names.end(), name);
    if (it == s.names.end()) return;
    s.names.erase(it);
    if (s.entries > 0) --s.entries;
}

std::string MoveProjectNameToFront(const std::string& name) {
    TableState& s = State();
    auto it = std::find(s.names.begin(), s.names.end(), name);
    if (it == s.names.end())
        it = std::find_if(s.names.begin(), s.names.end(),
                          [&name](const std::string& n) { return EqualsNoCase(n, name); });
    if (it == s.names.end()) return {};
    std::string spelt = *it;
    s.names.erase(it);
    s.names.push_front(spelt);
    return spelt;
}

void OrderProjectNames(const std::vector<std::string>& order) {
    TableState& s = State();
    std::deque<std::string> ordered;
    for (const std::string& name : order) {
        auto it = std::find(s.names.begin(), s.names.end(), name);
        if (it == s.names.end()) continue;
        ordered.push_back(std::move(*it));
        s.names.erase(it);
    }
    for (std::string& rest : s.names) ordered.push_back(std::move(rest));
    s.names = std::move(ordered);
}

void ResetProjectsTable() {
    TableState& s = State();
    s.names.clear();
    s.entries = 0;
    s.current.clear();
}

const std::string& CurrentProjectName() {
    return State().current;
}

void SetCurrentProjectName(const std::string& name) {
    State().current = name;
}

bool ReadProjectsTable(bool createWhenMissing) {
    TableState& s = State();
    s.names.clear();
    s.entries = 0;
    // Without a root there is no lib directory to hold the table.
    if (s.root.empty()) return false;
    const std::string path = ProjectsTableFile();
    if (!pf::PathExists(path)) {
        if (!createWhenMissing) return false;
        if (!pf::ReplaceFileAtomically(path, "[Projects]\n", true)) {
            ShowCannotOpen(path);
            return false;
        }
        ShowInfo(FormatText("First time use.\nCreating projects table in %s", path.c_str()));
        return true;
    }
    std::string bytes;
    if (!pf::ReadWholeFile(path, bytes)) return false;
    // The table is read as lines, not through the profile calls: every line that is neither
    // a comment nor a section header is an entry, whether or not it names a project.
    std::unordered_set<std::string> seen;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        if (nl == std::string::npos) nl = bytes.size();
        std::string_view line(bytes.data() + pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && (line.front() == ';' || line.front() == '[')) continue;
        ++s.entries;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string name(Trim(line.substr(0, eq)));
        if (name.empty() || !seen.insert(name).second) continue;
        s.names.push_front(std::move(name));
    }
    return true;
}

std::optional<std::string> ProjectFileOf(const std::string& name) {
    if (name.empty() || State().root.empty()) return std::nullopt;
    std::string value = pf::ProfileGetString(ProjectsTableFile(), kProjectsSection, name, kMissing);
    if (value == kMissing || value.empty()) return std::nullopt;
    if (value.size() > kMaxValue) value.resize(kMaxValue);
    return pf::ResolveName(value);
}

bool RegisterProject(const std::string& name, const std::string& directory) {
    if (name.empty() || State().root.empty()) return false;
    const std::string file = pf::JoinPath(directory, name + ".prj");
    if (!pf::ProfileWriteString(ProjectsTableFile(), kProjectsSection, name,
                                std::string_view(file)))
        return false;
    // An existing project file keeps everything it holds.
    const std::string path = pf::ResolveName(file);
    if (pf::PathExists(path)) return true;
    return pf::ReplaceFileAtomically(path, std::string(kProjectFileHeader) + "[" + name + "]\n",
                                     true);
}

bool UnregisterProject(const std::string& name) {
    if (name.empty() || State().root.empty()) return false;
    return pf::ProfileWriteString(ProjectsTableFile(), kProjectsSection, name, nullptr);
}

std::optional<std::string> ProjectNameFromHeader(std::string_view head) {
    constexpr std::size_t kCompared = 7;
    if (head.size() < kCompared ||
        !EqualsNoCase(head.substr(0, kCompared),
                      std::string_view(kProjectFileHeader).substr(0, kCompared)))
        return std::nullopt;
    const std::size_t open = head.find('[');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = head.find(']', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    // The profile calls find the section without the blanks around its name.
    std::string name(Trim(head.substr(open + 1, close - open - 1)));
    // The name becomes a section of its file and a key of the table.
    if (name.empty() || !pf::ProfileText::CanStore(name, name, nullptr)) return std::nullopt;
    return name;
}

}  // namespace velt
