#include "build/build_cli.h"

#include <iostream>

#include "build/build.h"
#include "platform/files.h"
#include "project/project.h"
#include "project/project_dump.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "project/run_program.h"
#include "shell/messages.h"
#include "shell/output_pane.h"

namespace velt {

int RunBuildCommand(const std::string& root, const std::string& name, std::ostream& out) {
    // The tools are found under the root while the project loads, as in the program.
    static std::string dir;
    dir = platform::ResolveName(platform::MakeAbsolute(root));
    SetProgramRoot(&dir);
    if (!LoadProjectForTool(root, name)) return 1;
    InstallBuild();
    FrameOutputPane().Clear(kBuildPage);
    const unsigned before = BuildsStarted();
    MakeCommand();
    // A Make that asked and was refused started nothing.
    const bool started = BuildsStarted() != before;
    WaitForBuild();
    for (const std::string& line : FrameOutputPane().Lines(kBuildPage)) out << line << '\n';
    UninstallBuild();
    SetProgramRoot(nullptr);
    return started && LastBuildReturnCode() == 0 ? 0 : 1;
}

}  // namespace velt
