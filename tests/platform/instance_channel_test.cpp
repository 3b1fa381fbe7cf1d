#include "platform/instance_channel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <poll.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/files.h"
#include "scoped_env.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::testing::ScopedEnv;
using velt::testing::TempDir;

namespace {

class InstanceChannel : public ::testing::Test {
  protected:
    void TearDown() override { ::shm_unlink(pf::SharedBlockName().c_str()); }

    // Runs `client` on a thread while this thread serves requests, as the frame's event
    // loop does.
    template <typename Client>
    void ServeWhile(pf::InstanceServer& server, const pf::InstanceRequestHandler& handler,
                    Client client) {
        std::atomic<bool> done{false};
        std::thread th([&] {
            client();
            done = true;
        });
        while (!done) {
            struct pollfd p {
                server.fd(), POLLIN, 0
            };
            if (::poll(&p, 1, 20) > 0) server.ProcessPending(handler);
        }
        th.join();
    }

    TempDir t;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", t.path()};
};

TEST_F(InstanceChannel, NamesFollowTheRuntimeDirectory) {
    EXPECT_EQ(pf::InstanceRuntimeDirectory(), t.path());
    EXPECT_EQ(pf::InstanceSocketPath(), t.path() + "/velt.sock");
    const std::string name = pf::SharedBlockName();
    TempDir other;
    ScopedEnv elsewhere("XDG_RUNTIME_DIR", other.path());
    EXPECT_NE(pf::SharedBlockName(), name);
}

TEST_F(InstanceChannel, SharedBlockIsSharedAndNulBounded) {
    pf::SharedBlock a, b;
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    EXPECT_TRUE(a.WriteText("/src/hello.c"));
    std::string text;
    EXPECT_TRUE(b.ReadText(text));
    EXPECT_EQ(text, "/src/hello.c");

    EXPECT_TRUE(a.WriteText(std::string(pf::kSharedBlockMapped - 1, 'x')));
    EXPECT_TRUE(b.ReadText(text));
    EXPECT_EQ(text.size(), pf::kSharedBlockMapped - 1);
    EXPECT_FALSE(a.WriteText(std::string(pf::kSharedBlockMapped, 'y')));
    EXPECT_FALSE(a.WriteText(std::string("a\0b", 3)));

    // Another program may leave the block without a terminator: it names nothing.
    int fd = ::shm_open(pf::SharedBlockName().c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    void* p = ::mmap(nullptr, pf::kSharedBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ASSERT_NE(p, MAP_FAILED);
    std::memset(p, 'z', pf::kSharedBlockSize);
    EXPECT_FALSE(b.ReadText(text));
    static_cast<char*>(p)[pf::kSharedBlockMapped - 1] = '\0';
    EXPECT_TRUE(b.ReadText(text));
    EXPECT_EQ(text, std::string(pf::kSharedBlockMapped - 1, 'z'));
    ::munmap(p, pf::kSharedBlockSize);
    ::close(fd);

    b.Close();
    EXPECT_FALSE(b.ReadText(text));
    EXPECT_FALSE(b.WriteText("x"));
}

TEST_F(InstanceChannel, LockKeepsSendersApart) {
    pf::SharedBlock a, b;
    ASSERT_TRUE(a.Open() && b.Open());
    ASSERT_TRUE(a.Lock(100));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(b.Lock(50));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50));
    a.Unlock();
    EXPECT_TRUE(b.Lock(50));
    // Closing gives the lock up.
    b.Close();
    EXPECT_TRUE(a.Lock(50));
}

TEST_F(InstanceChannel, RequestAndReplyCrossTheSocket) {
    EXPECT_FALSE(pf::InstanceRunning());
    std::int64_t reply = 7;
    EXPECT_EQ(pf::SendInstanceMessage({3501, 1, 2}, reply, 200), pf::SendResult::NoInstance);

    pf::InstanceServer server;
    ASSERT_EQ(server.Listen(), pf::ListenResult::Listening);
    EXPECT_GE(server.fd(), 0);
    EXPECT_TRUE(pf::InstanceRunning());
    pf::InstanceServer second;
    EXPECT_EQ(second.Listen(), pf::ListenResult::AnotherInstance);
    EXPECT_FALSE(second.listening());

    std::vector<pf::InstanceRequest> seen;
    auto handler = [&](const pf::InstanceRequest& r) -> std::int64_t {
        seen.push_back(r);
        return -static_cast<std::int64_t>(r.wparam) - 1;
    };
    pf::SendResult result{};
    ServeWhile(server, handler, [&] {
        result = pf::SendInstanceMessage({0x65A9, 0x123456789ABCull, ~0ull}, reply);
    });
    EXPECT_EQ(result, pf::SendResult::Answered);
    EXPECT_EQ(reply, -0x123456789ABDll);
    // The probes of InstanceRunning and the second Listen reached the server too, but only
    // the real request was handed on.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, 0x65A9u);
    EXPECT_EQ(seen[0].lparam, ~0ull);

    server.Close();
    EXPECT_FALSE(pf::PathExists(pf::InstanceSocketPath()));
    EXPECT_FALSE(pf::InstanceRunning());
}

TEST_F(InstanceChannel, ShortOrSilentPeersAreDropped) {
    pf::InstanceServer server;
    ASSERT_EQ(server.Listen(), pf::ListenResult::Listening);
    int calls = 0;
    auto handler = [&](const pf::InstanceRequest&) -> std::int64_t { return ++calls; };

    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, pf::InstanceSocketPath().c_str());
    int shortPeer = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(shortPeer, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::write(shortPeer, "12345", 5), 5);
    ::close(shortPeer);
    int silentPeer = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(silentPeer, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(server.ProcessPending(handler, 100), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    EXPECT_EQ(calls, 0);
    ::close(silentPeer);

    // The server still answers afterwards.
    std::int64_t reply = 0;
    ServeWhile(server, handler, [&] { pf::SendInstanceMessage({1, 0, 0}, reply); });
    EXPECT_EQ(reply, 1);
}

TEST_F(InstanceChannel, StaleSocketIsReplacedOtherFilesAreNot) {
    const std::string path = pf::InstanceSocketPath();
    {
        // What a crashed instance leaves: a socket file nobody listens on.
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, path.c_str());
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    ASSERT_TRUE(pf::PathExists(path));
    EXPECT_FALSE(pf::InstanceRunning());
    {
        pf::InstanceServer server;
        EXPECT_EQ(server.Listen(), pf::ListenResult::Listening);
        EXPECT_TRUE(pf::InstanceRunning());
    }
    EXPECT_FALSE(pf::PathExists(path));

    t.Write("velt.sock", "not a socket");
    pf::InstanceServer server;
    EXPECT_EQ(server.Listen(), pf::ListenResult::Failed);
    EXPECT_EQ(t.Read("velt.sock"), "not a socket");
}

TEST_F(InstanceChannel, ReplyToAPeerThatLeftDoesNotKillTheServer) {
    pf::InstanceServer server;
    ASSERT_EQ(server.Listen(), pf::ListenResult::Listening);
    // The sender gives up before the (slow) handler answers; writing the reply must not
    // raise SIGPIPE in the instance.
    std::int64_t reply = 0;
    pf::SendResult result{};
    std::atomic<bool> handled{false};
    auto slow = [&](const pf::InstanceRequest&) -> std::int64_t {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        handled = true;
        return 5;
    };
    ServeWhile(server, slow, [&] { result = pf::SendInstanceMessage({9, 0, 0}, reply, 100); });
    EXPECT_EQ(result, pf::SendResult::NoAnswer);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(server.listening());
}

}  // namespace
