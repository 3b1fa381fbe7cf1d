// Shared set-up of the tests that start programs: a scripted Ui, a temporary compiler root
// whose bin holds stand-ins for imgdump, conrun and iconedit that record how they were
// called, and a program of our own that records its directory and arguments.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/run_program.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/frame_messages.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt::testing {

class ProgramsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ProfileForgetCache();
        FrameStatusPane().Reset();
        ClearFrameMessageHandlers();
        root = dir / "Root";
        log = dir / "calls.log";
        // "/isdos": programs whose name holds "con" are console programs.
        Script("Root/bin/imgdump.exe",
               "echo \"imgdump|$*\" >> '" + log +
                   "'\n"
                   "if [ \"$1\" = /isdos ]; then case \"$(basename \"$2\")\" in *con*) exit 1;; "
                   "esac; exit 0; fi\n"
                   "out=${2#/out:}\n"
                   "printf 'Summary of %s\\n  .text 120\\n' \"$3\" > \"$out\"\n");
        Script("Root/bin/conrun.exe", "echo \"conrun|$(pwd -P)|$*\" >> '" + log + "'\n");
        Script("Root/bin/iconedit.exe", "echo \"iconedit|$*\" >> '" + log + "'\n");
        tool = Script("tools/Show.exe", "echo \"show|$(pwd -P)|$*\" >> '" + log + "'\n");
        console = Script("tools/contool.exe", "echo \"contool|$*\" >> '" + log + "'\n");
        SetProgramRoot(&root);
    }
    void TearDown() override {
        SetProgramRoot(nullptr);
        ClearFrameMessageHandlers();
    }

    // An executable shell script under the temporary directory; its full name.
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
        return path;
    }

    // The calls recorded so far.
    std::vector<std::string> Calls() const {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Waits (for a detached program) until `n` calls are recorded.
    std::vector<std::string> WaitForCalls(std::size_t n) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::vector<std::string> calls = Calls();
        while (calls.size() < n && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            calls = Calls();
        }
        return calls;
    }

    ScriptedUi ui;
    TempDir dir;
    ScopedCurrentDirectory cwd;
    std::string root;
    std::string log;
    std::string tool;     // not a console program
    std::string console;  // a console program
};

}  // namespace velt::testing
