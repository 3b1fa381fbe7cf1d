// How running copies of the IDE and outside programs reach the first one: the shared block
// "velt" (a per-user shared-memory object of 4096 bytes, of which the first 1024 are used)
// and a local socket in the user's runtime directory that carries one request
// {message, wparam, lparam} per connection and its 64-bit reply. A second start knows that
// an instance runs because connecting to the socket succeeds.
//
// The runtime directory is $XDG_RUNTIME_DIR (when it is an absolute directory), else
// /tmp/velt-<uid>, created private to the user. The socket is "<dir>/velt.sock"; the block's
// name is derived from the same directory, so each login session (and each test that points
// XDG_RUNTIME_DIR elsewhere) has its own pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velt::platform {

inline constexpr std::size_t kSharedBlockSize = 4096;
inline constexpr std::size_t kSharedBlockMapped = 1024;

// The user's runtime directory for the channel, created when it is the /tmp fallback. Empty
// when no safe directory is available (a fallback owned by someone else, or open to others).
std::string InstanceRuntimeDirectory();
// "<runtime dir>/velt.sock"; empty when there is no runtime directory.
std::string InstanceSocketPath();
// The shared-memory object's name ("/velt-<uid>-<tag of the runtime dir>").
std::string SharedBlockName();

// The shared block. Every instance and every sender opens (creating when needed) the same
// object; the first 1024 bytes are mapped read/write.
class SharedBlock {
  public:
    SharedBlock() = default;
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // Creates or opens the block. False when it cannot (start-up goes on without it). An
    // object of that name owned by another user is refused.
    bool Open();
    // Unmaps and closes; with `remove` the name is deleted as well (the listening instance
    // does so at its end, so a later first start begins with a fresh block).
    void Close(bool remove = false);
    bool isOpen() const { return data_ != nullptr; }

    // Writes `text` and its terminating NUL at the start. False when closed or when the text
    // (with its NUL) does not fit in the mapped 1024 bytes or holds a NUL itself.
    bool WriteText(std::string_view text);
    // The text at the start, up to its NUL. The bytes are copied out first, since another
    // process may write meanwhile; false when closed or when no NUL ends the text within
    // the mapped bytes.
    bool ReadText(std::string& out) const;

    // Serialises writers of the block: a sender holds the lock from writing the block until
    // the reply to its request has arrived, so two senders never overwrite each other's
    // text. Waits at most `timeoutMs`; false when the lock was not obtained.
    bool Lock(int timeoutMs);
    void Unlock();

  private:
    int fd_ = -1;
    char* data_ = nullptr;
    bool locked_ = false;
};

struct InstanceRequest {
    std::uint32_t message = 0;
    std::uint64_t wparam = 0;
    std::uint64_t lparam = 0;
};

// Size of a request on the wire (u32 message, u64 wparam, u64 lparam, host byte order) and of
// a reply (i64).
inline constexpr std::size_t kRequestBytes = 20;
inline constexpr std::size_t kReplyBytes = 8;

using InstanceRequestHandler = std::function<std::int64_t(const InstanceRequest&)>;

enum class ListenResult {
    Listening,        // this process is now the first instance
    AnotherInstance,  // a live instance answers on the socket
    Failed,           // no runtime directory, or the socket could not be made
};

// The first instance's end of the socket.
class InstanceServer {
  public:
    InstanceServer() = default;
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // Takes the socket. A socket file nobody listens on (left by a crashed instance) is
    // replaced. Two starts at the same moment are serialised by a lock file beside the
    // socket, so exactly one of them listens.
    ListenResult Listen();
    // The listening descriptor, readable when a connection waits (for a QSocketNotifier or
    // poll); -1 when not listening.
    int fd() const { return fd_; }
    bool listening() const { return fd_ >= 0; }

    // Accepts every waiting connection, reads its request (waiting at most `requestWaitMs`
    // for the 20 bytes, so a silent peer cannot hold the user-interface thread), calls
    // `handler` and sends the reply. Connections from other users, short requests and peers
    // that went away are dropped. Never blocks otherwise. Returns the requests answered. May
    // be re-entered from inside the handler (a modal box runs its own event loop).
    int ProcessPending(const InstanceRequestHandler& handler, int requestWaitMs = 250);

    // Stops listening and removes the socket file when it is still the one this server made.
    void Close();

  private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t dev_ = 0;
    std::uint64_t ino_ = 0;
};

enum class SendResult {
    Answered,    // the reply is in `reply`
    NoInstance,  // nobody listens
    NoAnswer,    // connected, but the request or the reply did not get through in time
};

// Connects, sends one request and waits at most `timeoutMs` in all for the reply.
SendResult SendInstanceMessage(const InstanceRequest& request, std::int64_t& reply,
                               int timeoutMs = 5000);

// Whether an instance listens: connecting to the socket succeeds.
bool InstanceRunning();

}  // namespace velt::platform
