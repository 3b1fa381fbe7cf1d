#include "project/open_by_name.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "editor/document_commands.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/run_program.h"
#include "shell/dispatch.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/output_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr std::size_t kSummaryLineLength = 255;

bool Contains(const std::string& upper, std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts)
        if (upper.find(p) != std::string::npos) return true;
    return false;
}

}  // namespace

OpenAction OpenActionFor(const std::string& name) {
    const std::string upper = AsciiUpper(pf::NamePart(name));
    if (Contains(upper, {".RC"})) return OpenAction::AskResource;
    if (Contains(upper, {".RES", ".WED"})) return OpenAction::ResourceEditor;
    if (Contains(upper, {".OBJ", ".DLL", ".OCX", ".LIB"})) return OpenAction::ImageSummary;
    if (Contains(upper, {".BMP", ".CUR", ".ICO"})) return OpenAction::IconEditor;
    return OpenAction::Text;
}

bool OpenByName(const std::string& name) {
    switch (OpenActionFor(name)) {
        case OpenAction::AskResource:
            if (!ResourceEditorActive() && AskYesNo("Open as resource file?"))
                return OpenInResourceEditor(name);
            return OpenFile(name);
        case OpenAction::ResourceEditor:
            return OpenInResourceEditor(name);
        case OpenAction::ImageSummary:
            return ShowImageSummary(name);
        case OpenAction::IconEditor:
            return StartIconEditor(name);
        case OpenAction::Text:
            break;
    }
    return OpenFile(name);
}

std::string ImageSummaryCommand(const std::string& tempFile, const std::string& file) {
    return FormatText("%s /summary %s %s", CommandLineWord(RootProgram("imgdump.exe")).c_str(),
                      CommandLineWord("/out:" + tempFile).c_str(), CommandLineWord(file).c_str());
}

std::vector<std::string> SummaryLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find('\n', i);
        const bool broken = end != std::string::npos;
        if (!broken) end = text.size();
        std::string_view line(text.data() + i, end - i);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Read in pieces of 255 characters: nothing of a long line is lost.
        do {
            const std::size_t n = std::min(line.size(), kSummaryLineLength);
            lines.emplace_back(line.substr(0, n));
            line.remove_prefix(n);
        } while (!line.empty());
        i = broken ? end + 1 : end;
    }
    return lines;
}

bool ShowImageSummary(const std::string& file) {
    const std::string temp = pf::CreateTempFile(pf::TempDirectory(), "veltsum");
    if (temp.empty()) {
        ShowCannotOpen(pf::JoinPath(pf::TempDirectory(), "veltsum"));
        return false;
    }
    pf::RunOptions hidden;
    hidden.hidden = true;
    const int rc = pf::RunAndWait(ImageSummaryCommand(temp, file), hidden);
    std::string text;
    const bool read = rc != -1 && pf::ReadWholeFile(temp, text);
    pf::DeleteFile(temp);
    if (!read) {
        CurrentUi().Beep();
        return false;
    }
    OutputPane& pane = FrameOutputPane();
    pane.Clear(kBuildPage);
    std::string shown;
    for (const std::string& line : SummaryLines(text)) shown += line + '\n';
    if (!shown.empty()) pane.Append(kBuildPage, shown);
    pane.SetActivePage(kBuildPage);
    return true;
}

std::string IconEditorCommand(const std::string& file) {
    return FormatText("%s %s", CommandLineWord(RootProgram("iconedit.exe")).c_str(),
                      CommandLineWord(file).c_str());
}

bool StartIconEditor(const std::string& file) {
    if (!pf::StartDetached(IconEditorCommand(file))) {
        CurrentUi().Beep();
        return false;
    }
    return true;
}

bool ResourceEditorActive() {
    return FrameCommands().State().resourceEditorActive;
}

bool OpenInResourceEditor(const std::string& /*file*/) {
    if (ResourceEditorActive()) {
        ShowMessage("Resource editor is active.\nClose it first");
        return false;
    }
    // The library is built for the system the formats come from: this host has no loader
    // for it, so the editor is never available here.
    ShowMessage(FormatText("Impossible to load %s\nResource editor willl not be available",
                           RootProgram("veltrdll.dll").c_str()));
    return false;
}

void InstallOpenByName() {
    gOpenChosenFileHook = [](const std::string& name) { return OpenByName(name); };
}

void UninstallOpenByName() {
    gOpenChosenFileHook = nullptr;
}

}  // namespace velt
