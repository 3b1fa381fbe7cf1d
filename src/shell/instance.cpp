#include "shell/instance.h"

#include <algorithm>

#include "platform/files.h"
#include "shell/document_host.h"

namespace velt {

namespace pf = velt::platform;

namespace {

InstanceRequestFn gBuildProgress;
InstanceRequestFn gBuildRunning;

std::int64_t Clamp16(int v) {
    return std::clamp(v, 0, 0xFFFF);
}

}  // namespace

void SetBuildRequestHandlers(InstanceRequestFn progress, InstanceRequestFn running) {
    gBuildProgress = std::move(progress);
    gBuildRunning = std::move(running);
}

ShellInstance::~ShellInstance() {
    Close();
}

bool ShellInstance::Start() {
    block_.Open();
    another_ = server_.Listen() == pf::ListenResult::AnotherInstance;
    return another_;
}

int ShellInstance::ProcessPending() {
    return server_.ProcessPending([this](const pf::InstanceRequest& r) {
        return HandleRequest(r.message, r.wparam, r.lparam);
    });
}

std::int64_t ShellInstance::HandleRequest(std::uint32_t message, std::uint64_t wparam,
                                          std::uint64_t lparam) {
    switch (message) {
        case kRequestOpenSharedFile: {
            std::string name;
            // A block without a terminating NUL within its bytes names nothing.
            if (!block_.ReadText(name) || name.empty()) return 0;
            DocumentHost& docs = CurrentDocuments();
            if (!docs.OpenDocument(pf::ResolveName(pf::MakeAbsolute(name)))) return 0;
            docs.MaximiseActive();
            return 1;
        }
        case kRequestCursorLine:
            return hooks_.cursorLine ? std::max<long>(hooks_.cursorLine(), 0) : 0;
        case kRequestClientSize: {
            int width = 0, height = 0;
            if (hooks_.clientSize) hooks_.clientSize(width, height);
            return (Clamp16(height) << 16) | Clamp16(width);
        }
        case kRequestBuildProgress:
            return gBuildProgress ? gBuildProgress(wparam, lparam) : 0;
        case kRequestBuildRunning:
            return gBuildRunning ? gBuildRunning(wparam, lparam) : 0;
        default:
            return kReplyUnknownRequest;
    }
}

void ShellInstance::Close() {
    const bool wasListening = server_.listening();
    server_.Close();
    block_.Close(wasListening);
}

OpenRequestResult SendOpenRequest(const std::string& path, int timeoutMs) {
    const std::string name = pf::ResolveName(pf::MakeAbsolute(path));
    if (name.size() >= pf::kSharedBlockMapped) return OpenRequestResult::NameTooLong;
    // Asked first so that a send with nobody listening leaves no shared block behind, which
    // only a listening instance would remove again.
    if (!pf::InstanceRunning()) return OpenRequestResult::NoInstance;
    pf::SharedBlock block;
    if (!block.Open() || !block.Lock(timeoutMs)) return OpenRequestResult::NoSharedBlock;
    if (!block.WriteText(name)) return OpenRequestResult::NameTooLong;
    std::int64_t reply = 0;
    switch (pf::SendInstanceMessage({kRequestOpenSharedFile, 0, 0}, reply, timeoutMs)) {
        case pf::SendResult::NoInstance:
            return OpenRequestResult::NoInstance;
        case pf::SendResult::NoAnswer:
            return OpenRequestResult::NoAnswer;
        case pf::SendResult::Answered:
            break;
    }
    return reply == 1 ? OpenRequestResult::Opened : OpenRequestResult::NotOpened;
}

}  // namespace velt
