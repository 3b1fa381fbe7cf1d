#include "project/makefile_cli.h"

#include <iostream>

#include "platform/files.h"
#include "project/makefile.h"
#include "project/project.h"
#include "project/project_dump.h"
#include "project/project_file.h"
#include "project/projects_table.h"
#include "shell/messages.h"

namespace velt {

int RunMakefileCommand(const std::string& root, const std::string& name, std::ostream& out) {
    const std::optional<std::string> dir = LoadProjectForTool(root, name);
    if (!dir) return 1;
    Project& p = CurrentProject();
    if (!GenerateMakefile(p, *dir)) return 1;
    out << platform::ResolveName(p.make->makeDir + platform::kPathSeparator + "Makefile") << '\n';
    return 0;
}

}  // namespace velt
