// The shell's side of the instance channel: finding out at start-up whether an instance runs
// already, answering the requests that other programs send to the first one, and the sender
// used by velt-cli.
//
// Requests (message numbers of the system's frame protocol):
//   3501  open the file named by the text at the start of the shared block and maximise it;
//         replies 1 when it was opened, 0 when not (the editor has said why)
//   3502  the cursor line of the current document (from 1); 0 when no document is open. The
//         document is not touched: its cursor keeps its line
//   3503  the frame's client size as (height << 16) | width, each clamped to 0 ... 65535
//   26024 (0x65A8) build progress, for the status pane while a build runs
//   26025 (0x65A9) whether a build runs (1) or not (0)
// The two build requests go to handlers that the build registers; until then 26025 answers
// 0 and 26024 is accepted and ignored. Any other message is answered kReplyUnknownRequest.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/instance_channel.h"

namespace velt {

enum : std::uint32_t {
    kRequestOpenSharedFile = 3501,
    kRequestCursorLine = 3502,
    kRequestClientSize = 3503,
    kRequestBuildProgress = 0x65A8,  // 26024
    kRequestBuildRunning = 0x65A9,   // 26025
};

inline constexpr std::int64_t kReplyUnknownRequest = -1;

// What the requests need of the windows; an empty function answers 0.
struct InstanceHooks {
    std::function<void(int& width, int& height)> clientSize;  // the frame's client area
    std::function<long()> cursorLine;  // the current document's cursor line, 0 without one
};

using InstanceRequestFn = std::function<std::int64_t(std::uint64_t wparam, std::uint64_t lparam)>;

// The build registers its two handlers here; empty functions put the defaults back.
void SetBuildRequestHandlers(InstanceRequestFn progress, InstanceRequestFn running);

class ShellInstance {
  public:
    ShellInstance() = default;
    ~ShellInstance();
    ShellInstance(const ShellInstance&) = delete;
    ShellInstance& operator=(const ShellInstance&) = delete;

    // Opens the shared block (start-up goes on without it) and either finds an instance
    // already listening (returns true: this start is another instance) or becomes the
    // listening one. A channel that cannot be made is no reason to stop.
    bool Start();
    bool anotherInstance() const { return another_; }
    bool listening() const { return server_.listening(); }
    // The descriptor to watch (QSocketNotifier, read); -1 when this instance does not listen.
    int fd() const { return server_.fd(); }
    // Answers every waiting request; call when fd() is readable.
    int ProcessPending();
    // One request, as the socket and the frame's own dispatch deliver them.
    std::int64_t HandleRequest(std::uint32_t message, std::uint64_t wparam, std::uint64_t lparam);
    void SetHooks(InstanceHooks hooks) { hooks_ = std::move(hooks); }
    platform::SharedBlock& block() { return block_; }
    // Stops listening and closes the block (removing its name when this was the listener).
    void Close();

  private:
    platform::InstanceServer server_;
    platform::SharedBlock block_;
    InstanceHooks hooks_;
    bool another_ = false;
};

enum class OpenRequestResult {
    Opened,
    NotOpened,     // the running instance could not open it
    NoInstance,    // none runs
    NoAnswer,      // it did not answer in time
    NameTooLong,   // the absolute name does not fit in the shared block
    NoSharedBlock  // the shared block could not be opened or locked
};

// Writes the absolute name of `path` into the shared block and asks the running instance to
// open it (3501). The block stays locked until the answer, so senders never mix names.
OpenRequestResult SendOpenRequest(const std::string& path, int timeoutMs = 5000);

}  // namespace velt
