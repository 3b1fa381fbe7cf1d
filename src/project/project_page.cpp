#include "project/project_page.h"

#include "platform/files.h"
#include "platform/process.h"
#include "project/project.h"
#include "project/project_file.h"
#include "shell/compiler_root.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// A file that can be opened where it is named, or a program the search path finds (as the
// system finds the make command when it runs it).
bool FileThere(const std::string& name) {
    if (name.empty()) return false;
    return pf::IsRegularFile(pf::ResolveName(pf::MakeAbsolute(name))) ||
           !pf::FindProgram(name).empty();
}

}  // namespace

SheetState ProjectSheetState() {
    SheetState s;
    if (!ProjectIsOpen()) return s;
    const Project& p = CurrentProject();
    s.projectOpen = true;
    s.libraryTarget = (p.compilerFlags & kTargetLibrary) != 0;
    s.eiffelProject = (p.projectFlags & kProjectEiffel) != 0;
    s.fortranProject = (p.projectFlags & kProjectFortran) != 0;
    return s;
}

void ProjectPage::Load(const ConfigContext&) {
    loaded_ = ProjectIsOpen();
    if (!loaded_) {
        for (std::string* text : {&projectName, &projectType, &outputFile, &programArguments,
                                  &makeCommand, &errorFile, &makeDir, &sourcesDir})
            *text = kNoProjectText;
        return;
    }
    const Project& p = CurrentProject();
    projectName = p.name;
    projectType = TargetKindText(p.compilerFlags);
    outputFile = p.exe.empty() ? kOutputNotDefined : p.exe;
    programArguments = ProjectSettings().debuggerArguments;
    makeCommand = p.make ? p.make->makeName : "";
    errorFile = p.errorFile;
    makeDir = p.make ? p.make->makeDir : "";
    sourcesDir = p.sourcesDir;
}

bool ProjectPage::Validate(const ConfigContext&) {
    // The project may have been closed while the sheet was open; nothing is left to check.
    if (!loaded_ || !ProjectIsOpen()) return true;
    const std::vector<std::string> words = pf::SplitCommandLine(makeCommand);
    const std::string first = words.empty() ? std::string() : words.front();
    // A project without make settings may leave the command empty: its defaults come later.
    if (!(first.empty() && !CurrentProject().make)) {
        bool found = FileThere(first);
        if (!found && !first.empty() && first.find_first_of(";.") == std::string::npos)
            found = FileThere(first + ".EXE");
        if (!found) {
            ShowMessage(FormatText("File %s not found!", first.c_str()));
            return false;
        }
    }
    // An empty make directory stands for the current one, which exists.
    if (!makeDir.empty() && !CheckDirectory(makeDir, false)) return false;
    if (AsciiUpper(errorFile).find(".EXE") != std::string::npos) {
        ShowMessage(FormatText("Message file name %s incorrect", errorFile.c_str()));
        return false;
    }
    // An empty sources directory is the project directory.
    return sourcesDir.empty() || CheckDirectory(sourcesDir, false);
}

bool ProjectPage::Apply(ConfigContext& ctx) {
    if (!loaded_ || !ProjectIsOpen()) return true;
    Project& p = CurrentProject();
    const std::string name = CutField(makeCommand);
    const std::string dir = CutField(AsciiUpper(makeDir));
    const std::string diagnostics = CutField(errorFile);
    const std::string sources = CutField(sourcesDir);
    bool changed = diagnostics != p.errorFile || sources != p.sourcesDir;
    if (p.make) {
        changed = changed || name != p.make->makeName || dir != p.make->makeDir;
    } else if (!name.empty() || !dir.empty()) {
        p.make = std::make_unique<MakeSettings>();
        changed = true;
    }
    if (p.make) {
        p.make->makeName = name;
        p.make->makeDir = dir;
    }
    p.errorFile = diagnostics;
    p.sourcesDir = sources;
    if (changed) ctx.projectChanged = true;
    return true;
}

}  // namespace velt
