// Shared set-up of the project tests: a scripted Ui, a temporary root with its lib directory,
// a work directory for project files, no project open and no names known.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/settings.h"
#include "temp_dir.h"

namespace velt::testing {

class ProjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ProfileForgetCache();
        root = dir.path() + "/root";
        work = dir.path() + "/work";
        platform::CreateDirectory(root);
        platform::CreateDirectory(root + "/lib");
        platform::CreateDirectory(work);
        SetProjectsRoot(root);
        ResetProjectsTable();
        SetProjectSettings(&settings);
        SetProjectUserName("");
        SetProjectWindowHooks({});
        ReleaseCurrentProject();
    }
    void TearDown() override {
        ReleaseCurrentProject();
        ResetProjectsTable();
        SetProjectSettings(nullptr);
        SetProjectWindowHooks({});
        SetProjectUserName("");
    }

    std::string TableFile() const { return root + "/lib/projects.ini"; }
    // The table holding `lines` as they stand.
    void Table(const std::string& lines) { dir.Write("root/lib/projects.ini", lines); }
    // A project file in the work directory: its header, its section and `body`; the table
    // names it. Returns its path.
    std::string WriteProject(const std::string& name, const std::string& body) {
        Table("[Projects]\n" + name + "=" + work + "/" + name + ".prj\n");
        ReadProjectsTable(false);
        return dir.Write("work/" + name + ".prj",
                         std::string(kProjectFileHeader) + "[" + name + "]\n" + body);
    }
    bool Load(const std::string& name) {
        SetCurrentProjectName(name);
        return LoadProject();
    }
    std::string Read(const std::string& path) const {
        std::string bytes;
        platform::ReadWholeFile(path, bytes);
        return bytes;
    }

    ScriptedUi ui;
    TempDir dir;
    ScopedCurrentDirectory keepCwd;
    GlobalSettings settings;
    std::string root;
    std::string work;
};

}  // namespace velt::testing
