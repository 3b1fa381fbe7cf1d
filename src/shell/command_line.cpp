#include "shell/command_line.h"

#include <charconv>

#include "platform/files.h"
#include "platform/process.h"
#include "shell/dir_scan.h"
#include "shell/document_host.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr std::string_view kProjectOption = "/prj:";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Where "/prj:" begins a token (at the start of the line, after a blank or an opening
// quote); npos when it does not.
std::size_t FindProjectOption(std::string_view lower) {
    for (std::size_t at = lower.find(kProjectOption); at != std::string_view::npos;
         at = lower.find(kProjectOption, at + 1)) {
        if (at == 0 || IsBlank(lower[at - 1]) || lower[at - 1] == '"') return at;
    }
    return std::string_view::npos;
}

bool IsOptionToken(std::string_view t) {
    if (t.empty()) return false;
    if (t[0] == '-') return true;
    if (t[0] != '/' || t.size() < 2) return false;
    for (char c : t.substr(1))
        if (!IsLetter(c) && !IsDigit(c)) return false;
    return true;
}

template <typename T>
bool ParseNumber(std::string_view s, T& out) {
    if (s.empty()) return false;
    for (char c : s)
        if (!IsDigit(c)) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

// The number of an "e", "p" or "d" option: attached ("/p123") or the next token ("/p 123"),
// which is then consumed.
template <typename T>
bool OptionNumber(std::string_view attached, const std::vector<std::string>& tokens, std::size_t& i,
                  T& out) {
    if (!attached.empty()) return ParseNumber(attached, out);
    if (i + 1 < tokens.size() && ParseNumber(tokens[i + 1], out)) {
        ++i;
        return true;
    }
    return false;
}

bool EndsWithExe(std::string_view t) {
    return t.size() >= 4 && EqualsNoCase(t.substr(t.size() - 4), ".exe");
}

std::string PatternPath(const std::string& pattern, const std::string& startDirectory) {
    if (!pattern.empty() && pattern[0] == pf::kPathSeparator) return pattern;
    return pf::JoinPath(startDirectory, pattern);
}

// Every file (not directory) the pattern names, in scan order. The scan is global state, so
// whatever scan the caller had running is put back.
std::vector<std::string> MatchingFiles(const std::string& pattern) {
    DirScanState saved = DirScanSave();
    std::vector<std::string> files;
    std::string path;
    for (bool more = DirScanFirst(pattern, path); more; more = DirScanNext(path))
        if (!pf::IsDirectory(path)) files.push_back(path);
    DirScanRestore(std::move(saved));
    return files;
}

void ShowIncorrectName(const std::string& name) {
    ShowMessage(FormatText("[%s]: incorrect file name", name.c_str()));
}

}  // namespace

std::string_view SkipProgramName(std::string_view raw) {
    std::size_t i = 0;
    if (!raw.empty() && raw[0] == '"') {
        std::size_t close = raw.find('"', 1);
        i = close == std::string_view::npos ? raw.size() : close + 1;
    } else {
        while (i < raw.size() && !IsBlank(raw[i])) ++i;
    }
    while (i < raw.size() && IsBlank(raw[i])) ++i;
    return raw.substr(i);
}

std::string CommandLineFromArguments(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        if (!line.empty()) line += ' ';
        if (a.empty() || a.find_first_of(" \t") != std::string::npos)
            line += '"' + a + '"';
        else
            line += a;
    }
    return line;
}

StartupOptions ParseCommandLine(std::string_view line, bool anotherInstance) {
    StartupOptions o;
    o.anotherInstance = anotherInstance;
    if (Trim(line).empty()) return o;
    o.lineGiven = true;

    const std::string lower = AsciiLower(line);
    const std::size_t projectAt = FindProjectOption(lower);
    // Options and names are read lower-cased; the program's arguments keep their spelling.
    const std::string_view head =
        projectAt == std::string_view::npos ? std::string_view(line) : line.substr(0, projectAt);
    const std::vector<std::string> spelt = pf::SplitCommandLine(head);
    std::vector<std::string> tokens;
    for (const std::string& t : spelt) tokens.push_back(AsciiLower(t));

    if (projectAt != std::string_view::npos) {
        std::string_view name =
            Trim(std::string_view(lower).substr(projectAt + kProjectOption.size()));
        const bool quotedOption = projectAt > 0 && lower[projectAt - 1] == '"';
        if (quotedOption && !name.empty() && name.back() == '"') {
            name = Trim(name.substr(0, name.size() - 1));
        } else if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
            name = Trim(name.substr(1, name.size() - 2));
        }
        o.project = std::string(name);
        o.anotherInstance = false;
        // Only the splash switch is looked for in front of it; the rest of the line is the
        // project's.
        for (const std::string& t : tokens) {
            if (IsOptionToken(t) && t.size() > 1 && t[1] == 'w')
                o.splash = o.restoreSession = o.saveSession = false;
        }
        return o;
    }

    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (t.empty()) continue;
        if (IsOptionToken(t)) {
            if (t.size() < 2 || !IsLetter(t[1])) continue;
            const std::string_view attached = std::string_view(t).substr(2);
            switch (t[1]) {
                case 'e':
                    OptionNumber(attached, tokens, i, o.attachEvent);
                    break;
                case 'p':
                case 'd': {
                    std::uint32_t pid = 0;
                    if (OptionNumber(attached, tokens, i, pid) && pid != 0) {
                        o.attachPid = pid;
                        o.restoreSession = o.saveSession = false;
                        o.anotherInstance = true;
                    }
                    break;
                }
                case 'f':
                    o.restoreSession = o.saveSession = false;
                    break;
                case 'w':
                    o.splash = o.restoreSession = o.saveSession = false;
                    break;
                case 'n':
                    o.saveSession = false;
                    break;
                default:
                    break;
            }
            continue;
        }
        if (EndsWithExe(t)) {
            o.debugStart = true;
            o.debuggerExeName = t;
            o.debuggerArguments = CommandLineFromArguments(std::vector<std::string>(
                spelt.begin() + static_cast<std::ptrdiff_t>(i) + 1, spelt.end()));
            break;
        }
        o.filePatterns.push_back(t);
    }
    return o;
}

std::string DebuggingUnavailableText(const std::string& program) {
    return FormatText("Debugging is not available in this version of Velt yet; %s was not started.",
                      program.c_str());
}

std::string ProjectsUnavailableText(const std::string& project) {
    return FormatText("Projects are not available in this version of Velt yet; %s was not opened.",
                      project.c_str());
}

void OpenCommandLineFiles(StartupOptions& o, const std::string& startDirectory) {
    const std::string before = pf::CurrentDirectory();
    std::string lastDirectory;
    for (const std::string& pattern : o.filePatterns) {
        const std::vector<std::string> files = MatchingFiles(PatternPath(pattern, startDirectory));
        if (files.empty()) {
            ShowIncorrectName(pattern);
            continue;
        }
        for (const std::string& f : files) {
            // A file the editor refuses has been reported by the editor.
            if (!CurrentDocuments().OpenDocument(f)) continue;
            o.filesOpened.push_back(f);
            lastDirectory = pf::DirectoryPart(f);
        }
    }
    o.openedAnything = !o.filesOpened.empty();

    if (o.debugStart) {
        const std::vector<std::string> found =
            MatchingFiles(PatternPath(o.debuggerExeName, startDirectory));
        if (found.empty()) {
            ShowIncorrectName(o.debuggerExeName);
            o.debugStart = false;
            o.debuggerExeName.clear();
            o.debuggerArguments.clear();
        } else {
            o.debuggerExeName = found.front();
            o.debuggerDir = pf::DirectoryPart(o.debuggerExeName);
            pf::SetCurrentDirectory(o.debuggerDir);
            ShowInfo(DebuggingUnavailableText(o.debuggerExeName));
            return;
        }
    }
    pf::SetCurrentDirectory(o.openedAnything ? lastDirectory : before);
}

}  // namespace velt
