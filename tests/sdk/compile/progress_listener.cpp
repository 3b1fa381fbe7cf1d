// Stands in for a running IDE in the tests of the compiler's build-progress report: listens
// on the instance channel, appends the shared block's text of each 0x65A8 request to a log,
// and answers with the reply given. Ends after `count` requests or 30 seconds.
//
//   sdk_progress_listener REPLY COUNT LOG READY
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/instance_channel.h"

namespace pf = velt::platform;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s REPLY COUNT LOG READY\n", argv[0]);
        return 2;
    }
    const long long reply = std::atoll(argv[1]);
    const int count = std::atoi(argv[2]);
    pf::SharedBlock block;
    pf::InstanceServer server;
    if (!block.Open() || server.Listen() != pf::ListenResult::Listening) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    std::ofstream(argv[4]) << "ready\n";
    int seen = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (seen < count && std::chrono::steady_clock::now() < end) {
        pollfd p{server.fd(), POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        server.ProcessPending([&](const pf::InstanceRequest& r) -> std::int64_t {
            std::string text;
            block.ReadText(text);
            std::ofstream(argv[3], std::ios::app) << r.message << ":" << text;
            ++seen;
            return reply;
        });
    }
    server.Close();
    block.Close(true);
    return seen == count ? 0 : 1;
}
