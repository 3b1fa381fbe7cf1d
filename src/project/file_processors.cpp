#include "project/file_processors.h"

#include <algorithm>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "project/project.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

std::function<bool(DocumentInformationRecord&)> gDocumentInformationDialog;

namespace {

constexpr char kNeedOutput[] =
    "You must enter the name of the output file that this processor will produce";
constexpr char kDeleteQuestion[] = "Delete this file processor?";
// The stored form "file#command#output" is split at its first two '#'.
constexpr char kNoHashSign[] = "A file processor cannot hold '#' in its file name or command";

struct DefaultRule {
    const char* extension;
    const char* tool;
    const char* output;  // the output's extension; empty: the tool makes no file of its own
};

constexpr DefaultRule kDefaults[] = {
    {"c", "nimra.exe", "obj"}, {"asm", "nimra.exe", "obj"},    {"rc", "nimrarc.exe", "res"},
    {"f", "f2c.exe", "obj"},   {"obj", "nimralnk.exe", "exe"}, {"res", "nimralnk.exe", ""},
};

// Project files may come from the system's own formats, whose names use '\'.
std::string BaseName(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

const DefaultRule* RuleFor(const std::string& file) {
    const std::string base = BaseName(file);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos) return nullptr;
    const std::string_view extension = std::string_view(base).substr(dot + 1);
    for (const DefaultRule& rule : kDefaults)
        if (EqualsNoCase(extension, rule.extension)) return &rule;
    return nullptr;
}

std::string Trimmed(const std::string& s) {
    const std::size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    const std::size_t end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
}

}  // namespace

std::string DefaultProcessorTool(const std::string& file) {
    const DefaultRule* rule = RuleFor(file);
    return rule ? rule->tool : "";
}

std::string DefaultProcessorOutput(const std::string& file) {
    const DefaultRule* rule = RuleFor(file);
    if (!rule || !*rule->output) return {};
    std::string base = BaseName(file);
    base.resize(base.rfind('.'));
    return AsciiLower(base + "." + rule->output);
}

bool SameProjectFileName(const std::string& entry, const std::string& file) {
    return EqualsNoCase(entry, file) || EqualsNoCase(entry, BaseName(file)) ||
           EqualsNoCase(BaseName(entry), BaseName(file));
}

FileProcessor* FindFileProcessor(Project& project, const std::string& file) {
    for (FileProcessor& fp : project.fileProcessors)
        if (SameProjectFileName(fp.file, file)) return &fp;
    return nullptr;
}

bool IsProjectFile(const Project& project, const std::string& file) {
    return std::any_of(project.files.begin(), project.files.end(),
                       [&file](const std::string& f) { return SameProjectFileName(f, file); });
}

void DocumentInformationRecord::Load(const EditView& view) {
    document = view.document->name;
    title = FormatText(kDocumentInformationTitle, document.c_str());
    text = FileInformationText(view);
    Project& p = CurrentProject();
    projectFile = ProjectIsOpen() && IsProjectFile(p, document);
    defaultTool = DefaultProcessorTool(document);
    const FileProcessor* fp = projectFile ? FindFileProcessor(p, document) : nullptr;
    hasProcessor = fp != nullptr;
    command = fp ? fp->command : defaultTool;
    output = fp ? fp->output : DefaultProcessorOutput(document);
}

bool DocumentInformationRecord::Accept() {
    if (!projectFile || !ProjectIsOpen()) return true;
    Project& p = CurrentProject();
    const auto found = std::find_if(
        p.fileProcessors.begin(), p.fileProcessors.end(),
        [this](const FileProcessor& fp) { return SameProjectFileName(fp.file, document); });
    const std::string cmd = Trimmed(command);
    const std::string out = Trimmed(output);
    if (found == p.fileProcessors.end()) {
        // An empty command asks for nothing: a processor without a command could build nothing.
        if (cmd.empty() || EqualsNoCase(cmd, defaultTool)) return true;
    } else if (cmd.empty()) {
        if (AskYesNo(kDeleteQuestion)) {
            p.fileProcessors.erase(found);
            hasProcessor = false;
        }
        return true;
    }
    if (out.empty()) {
        ShowMessage(kNeedOutput);
        return false;
    }
    if (cmd.find('#') != std::string::npos ||
        (found == p.fileProcessors.end() && document.find('#') != std::string::npos)) {
        ShowMessage(kNoHashSign);
        return false;
    }
    if (found == p.fileProcessors.end()) {
        p.fileProcessors.push_front({CutField(document), CutField(cmd), CutField(out)});
        hasProcessor = true;
    } else {
        found->command = CutField(cmd);
        found->output = CutField(out);
    }
    return true;
}

bool ShowDocumentInformation(EditView& view) {
    if (!view.document) return false;
    DocumentInformationRecord record;
    record.Load(view);
    if (!gDocumentInformationDialog) {
        ShowInfo(record.text);
        return true;
    }
    return gDocumentInformationDialog(record);
}

}  // namespace velt
