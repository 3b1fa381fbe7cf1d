#include "shell/frame_messages.h"

#include <map>

#include "shell/dispatch.h"
#include "shell/status_pane.h"

namespace velt {
namespace {

std::map<unsigned, FrameMessageHandler>& Handlers() {
    static std::map<unsigned, FrameMessageHandler> handlers;
    return handlers;
}

const char* TextOf(std::intptr_t lparam) {
    return reinterpret_cast<const char*>(lparam);
}

// What the frame does with a message nobody registered for.
std::intptr_t Default(unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    switch (static_cast<FrameMessage>(msg)) {
        case FrameMessage::Command: {
            // A command id is 16 bits wide, as in a menu choice.
            const unsigned id = static_cast<unsigned>(wparam & 0xFFFF);
            return DispatchCommand(id, 0, lparam).value;
        }
        case FrameMessage::SharedOpenFile:
        case FrameMessage::SharedDocument:
        case FrameMessage::SharedClientSize:
            return DispatchCommand(msg, wparam, lparam).value;
        case FrameMessage::PositionText:
            FrameStatusPane().SetPositionText(TextOf(lparam) ? TextOf(lparam) : "");
            return 0;
        case FrameMessage::TransientHelp:
            FrameStatusPane().TransientHelpMessage(wparam, TextOf(lparam));
            return 0;
        case FrameMessage::Notice:
            FrameStatusPane().ShowNotice(TextOf(lparam) ? TextOf(lparam) : "");
            return 0;
        default:
            return 0;
    }
}

}  // namespace

std::intptr_t SendFrameMessage(unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    auto it = Handlers().find(msg);
    if (it == Handlers().end()) return Default(msg, wparam, lparam);
    // A copy: the handler may register or remove handlers while it runs.
    FrameMessageHandler handler = it->second;
    return handler(wparam, lparam);
}

std::intptr_t SendFrameMessage(FrameMessage msg, std::uintptr_t wparam, std::intptr_t lparam) {
    return SendFrameMessage(static_cast<unsigned>(msg), wparam, lparam);
}

void SetFrameMessageHandler(FrameMessage msg, FrameMessageHandler handler) {
    if (handler)
        Handlers()[static_cast<unsigned>(msg)] = std::move(handler);
    else
        Handlers().erase(static_cast<unsigned>(msg));
}

bool HasFrameMessageHandler(FrameMessage msg) {
    return Handlers().count(static_cast<unsigned>(msg)) != 0;
}

void ClearFrameMessageHandlers() {
    Handlers().clear();
}

}  // namespace velt
