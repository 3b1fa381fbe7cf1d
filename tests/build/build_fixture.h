// The set-up the build tests share: a temporary root with an empty bin, a make directory,
// settings that save nothing first, and the open project "hello" building there.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "build/build.h"
#include "build/diagnostics.h"
#include "editor/document_commands.h"
#include "platform/files.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/run_program.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/output_pane.h"
#include "shell/settings.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt::testing {

class BuildFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        root = dir.path() + "/root";
        make = dir.path() + "/obj";
        platform::CreateDirectory(root);
        platform::CreateDirectory(root + "/bin");
        platform::CreateDirectory(make);
        SetProgramRoot(&root);
        settings.editorFlags = 0;
        SetEditorSettings(&settings);
        SetProjectSettings(&settings);
        FrameOutputPane().Reset();
        FrameStatusPane().Reset();
        ResetBuild();
        InstallBuild();
        Project& p = CurrentProject();
        ClearProject(p);
        p.name = "hello";
        p.exe = "hello.exe";
        p.make = std::make_unique<MakeSettings>();
        p.make->makeDir = make;
    }
    void TearDown() override {
        WaitForBuild();
        ResetBuild();
        UninstallBuild();
        ClearProject(CurrentProject());
        gGenerateMakefileHook = nullptr;
        gMissingLibrariesDialog = nullptr;
        gOutputLineFits = nullptr;
        SetProgramRoot(nullptr);
        SetEditorSettings(nullptr);
        SetProjectSettings(nullptr);
        FrameOutputPane().Reset();
        FrameStatusPane().Reset();
    }
    // An executable shell script.
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
        chmod(path.c_str(), 0755);
        return path;
    }
    const std::vector<std::string>& Pane() { return FrameOutputPane().Lines(kBuildPage); }

    ScriptedUi ui;
    TempDir dir;
    ScopedCurrentDirectory keepCwd;
    GlobalSettings settings;
    std::string root;
    std::string make;
};

}  // namespace velt::testing
