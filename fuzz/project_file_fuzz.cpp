// Project files and projects tables come from anywhere: any bytes must load, and what a load
// saves must load and save to the same project again. The input is split in two: a projects
// table (after an entry naming our project file) and the project file itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/projects_table.h"

namespace pf = velt::platform;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Place {
    std::string root;
    std::string prj;
};

const Place& Dirs() {
    static const Place place = [] {
        // Every save is flushed to the device; memory-backed storage keeps the runs fast.
        const std::string base = pf::IsDirectory("/dev/shm") ? "/dev/shm" : pf::TempDirectory();
        std::string dir = pf::CreateTempFile(base, "velt-prj-fuzz-");
        pf::DeleteFile(dir);
        Check(pf::CreateDirectory(dir) && pf::CreateDirectory(dir + "/lib"));
        static std::string made = dir;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(made, ec);
        });
        velt::SetProjectsRoot(dir);
        return Place{dir, dir + "/fuzz.prj"};
    }();
    return place;
}

// Everything a save writes of the open project, in order.
std::string Keys() {
    velt::ProjectSaveExtras extras;
    extras.filesToolbar = velt::ProjectFilesToolbar();
    std::string out;
    for (const auto& kv : velt::ProjectSaveKeys(velt::CurrentProject(), extras))
        out += kv.key + "=" + kv.value + "\n";
    for (const auto& kv : velt::FileListSaveKeys(velt::CurrentProject()))
        out += kv.key + "=" + kv.value + "\n";
    return out;
}

bool LoadAndSave() {
    velt::SetCurrentProjectName("fuzz");
    if (!velt::LoadProject()) return false;
    velt::LoadProjectFileList();
    velt::SaveProjectWith(velt::SaveContext{});
    velt::SaveProjectFiles(velt::kSaveFileList);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Place& place = Dirs();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = 0;
    if (input.size() >= 2) {
        split = (static_cast<unsigned char>(input[0]) | static_cast<unsigned>(input[1]) << 8) %
                (input.size() - 1);
        input.remove_prefix(2);
        split = std::min(split, input.size());
    }
    const std::string_view table = input.substr(0, split);
    const std::string_view file = input.substr(split);

    pf::ProfileForgetCache();
    Check(pf::ReplaceFileAtomically(place.root + "/lib/projects.ini",
                                    "[Projects]\nfuzz=" + place.prj + "\n" + std::string(table),
                                    false));
    Check(pf::ReplaceFileAtomically(place.prj, file, false));
    velt::ProjectNameFromHeader(file);
    Check(velt::ReadProjectsTable(false));
    Check(velt::ProjectsTableEntries() >= 1);
    velt::SetProjectUserName("");
    // Only our own file is read and written, whatever else the table names.
    if (velt::ProjectFileOf("fuzz") != place.prj) return 0;

    Check(LoadAndSave());
    // Lists come back reversed from every trip, so two trips give the same project again.
    Check(LoadAndSave());
    const std::string second = Keys();
    Check(LoadAndSave());
    Check(LoadAndSave());
    Check(Keys() == second);
    velt::ReleaseCurrentProject();
    return 0;
}
