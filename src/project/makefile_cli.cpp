#include "project/makefile_cli.h"

#include <iostream>

#include "platform/files.h"
#include "project/makefile.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "shell/messages.h"

namespace velt {

int RunMakefileCommand(const std::string& root, const std::string& name, std::ostream& out) {
    const std::string dir = platform::ResolveName(platform::MakeAbsolute(root));
    if (!platform::IsDirectory(dir)) {
        std::cerr << FormatText("Directory %s doesn't exist", root.c_str()) << '\n';
        return 1;
    }
    SetProjectsRoot(dir);
    if (!ReadProjectsTable(false)) {
        std::cerr << "velt-cli: cannot read " << ProjectsTableFile() << '\n';
        return 1;
    }
    SetCurrentProjectName(name);
    if (!LoadProject()) {
        std::cerr << "velt-cli: no project " << name << " in " << ProjectsTableFile() << '\n';
        return 1;
    }
    LoadProjectFileList();
    Project& p = CurrentProject();
    if (!GenerateMakefile(p, dir)) return 1;
    out << platform::ResolveName(p.make->makeDir + platform::kPathSeparator + "Makefile") << '\n';
    return 0;
}

}  // namespace velt
