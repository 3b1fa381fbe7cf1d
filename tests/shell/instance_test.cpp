#include "shell/instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>
#include <cstring>
#include <filesystem>

#include "recording_documents.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::OpenRequestResult;
using velt::ShellInstance;
using velt::testing::RecordingDocuments;
using velt::testing::ScopedCurrentDirectory;
using velt::testing::ScopedEnv;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;
using Names = std::vector<std::string>;

namespace {

class Instance : public ::testing::Test {
  protected:
    void SetUp() override { dir = std::filesystem::canonical(t.path()).string(); }
    void TearDown() override { velt::SetBuildRequestHandlers({}, {}); }

    // Serves `instance` until the child process ends; returns the child's exit code.
    int ServeUntilExit(ShellInstance& instance, pid_t child) {
        for (;;) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            struct pollfd p {
                instance.fd(), POLLIN, 0
            };
            if (::poll(&p, 1, 20) > 0) instance.ProcessPending();
        }
    }

    TempDir t;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", t.path()};
    ScriptedUi ui;
    RecordingDocuments docs;
    std::string dir;
};

TEST_F(Instance, SecondProcessHandsItsFileToTheFirst) {
    t.Write("src/Hello.c", "int main;\n");
    ShellInstance first;
    ASSERT_FALSE(first.Start());
    ASSERT_TRUE(first.listening());

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The second start: it finds the first and hands over a name it spells its own way.
        ShellInstance second;
        bool another = second.Start();
        second.Close();
        ScopedCurrentDirectory keep;
        pf::SetCurrentDirectory(dir + "/src");
        OpenRequestResult r = velt::SendOpenRequest("hello.C");
        ::_exit(another && r == OpenRequestResult::Opened ? 0 : 1);
    }
    EXPECT_EQ(ServeUntilExit(first, child), 0);
    EXPECT_EQ(docs.opened, Names{dir + "/src/Hello.c"});
    EXPECT_EQ(docs.maximised, 1);
    // The second one neither listened nor removed anything of the first's.
    EXPECT_TRUE(pf::InstanceRunning());
}

TEST_F(Instance, OpenRequestResults) {
    EXPECT_EQ(velt::SendOpenRequest(dir + "/a.c", 500), OpenRequestResult::NoInstance);
    EXPECT_EQ(velt::SendOpenRequest("/" + std::string(pf::kSharedBlockMapped, 'n'), 500),
              OpenRequestResult::NameTooLong);

    ShellInstance first;
    ASSERT_FALSE(first.Start());
    docs.refuse.insert(dir + "/locked.c");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(velt::SendOpenRequest(dir + "/locked.c") == OpenRequestResult::NotOpened ? 0 : 1);
    EXPECT_EQ(ServeUntilExit(first, child), 0);
    EXPECT_EQ(docs.maximised, 0);
}

TEST_F(Instance, RequestsAnswerFromTheFrame) {
    ShellInstance inst;
    inst.Start();
    // Without hooks and handlers: no size, no line, no build running.
    EXPECT_EQ(inst.HandleRequest(velt::kRequestClientSize, 0, 0), 0);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestCursorLine, 0, 0), 0);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestBuildRunning, 0, 0), 0);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestBuildProgress, 1, 2), 0);
    EXPECT_EQ(inst.HandleRequest(4711, 0, 0), velt::kReplyUnknownRequest);

    int width = 800, height = 600;
    inst.SetHooks({[&](int& w, int& h) {
                       w = width;
                       h = height;
                   },
                   [] { return 42L; }});
    EXPECT_EQ(inst.HandleRequest(velt::kRequestClientSize, 0, 0), (600 << 16) | 800);
    // A size beyond 16 bits must not spill into the other half.
    width = 70000;
    height = -5;
    EXPECT_EQ(inst.HandleRequest(velt::kRequestClientSize, 0, 0), 0xFFFF);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestCursorLine, 0, 0), 42);

    std::uint64_t seenW = 0, seenL = 0;
    velt::SetBuildRequestHandlers(
        [&](std::uint64_t w, std::uint64_t l) -> std::int64_t {
            seenW = w;
            seenL = l;
            return 3;
        },
        [](std::uint64_t, std::uint64_t) -> std::int64_t { return 1; });
    EXPECT_EQ(inst.HandleRequest(velt::kRequestBuildProgress, 7, 8), 3);
    EXPECT_EQ(seenW, 7u);
    EXPECT_EQ(seenL, 8u);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestBuildRunning, 0, 0), 1);
}

TEST_F(Instance, OpenRequestNeedsATerminatedName) {
    t.Write("a.c", "");
    ShellInstance inst;
    inst.Start();
    ASSERT_TRUE(inst.block().isOpen());
    EXPECT_EQ(inst.HandleRequest(velt::kRequestOpenSharedFile, 0, 0), 0);  // empty block

    ASSERT_TRUE(inst.block().WriteText(dir + "/a.c"));
    EXPECT_EQ(inst.HandleRequest(velt::kRequestOpenSharedFile, 0, 0), 1);
    EXPECT_EQ(docs.opened, Names{dir + "/a.c"});

    // The full mapped area without a NUL: nothing is read past it, nothing is opened.
    int fd = ::shm_open(pf::SharedBlockName().c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    void* p = ::mmap(nullptr, pf::kSharedBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(p, MAP_FAILED);
    std::memset(p, 'a', pf::kSharedBlockSize);
    EXPECT_EQ(inst.HandleRequest(velt::kRequestOpenSharedFile, 0, 0), 0);
    EXPECT_EQ(docs.opened.size(), 1u);
    ::munmap(p, pf::kSharedBlockSize);
    ::close(fd);

    // The listener removes the block's name when it ends.
    inst.Close();
    EXPECT_LT(::shm_open(pf::SharedBlockName().c_str(), O_RDWR, 0), 0);
}

}  // namespace
