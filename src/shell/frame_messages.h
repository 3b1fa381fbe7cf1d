// The frame's private messages, sent by other parts of the program and by other processes,
// and their one entry point. Each message has at most one handler, registered by its owner;
// a message without one answers 0.
#pragma once

#include <cstdint>
#include <functional>

namespace velt {

enum class FrameMessage : unsigned {
    Command = 2024,         // wParam: a command id, dispatched as a menu choice
    SharedOpenFile = 3501,  // shared-block requests, dispatched as the commands 3501-3503
    SharedDocument = 3502,
    SharedClientSize = 3503,
    OpenSource = 4024,         // debugger: open a source file by name and maximise it
    CurrentLine = 4044,        // debugger: answer the current line
    SessionEnded = 4084,       // the debug session ended
    ModuleEntries = 4104,      // the number of debugger module entries
    ForwardToDocument = 4194,  // handed on to the active document
    BreakpointRemoved = 4314,  // a breakpoint was removed from a line
    PositionText = 8028,       // lParam: the position text (const char*)
    Layout = 8029,             // lay out the panes
    TransientHelp = 8037,      // lParam: a help text; wParam 8037 and no text: restore
    Notice = 8038,             // lParam: a notice (const char*)
    CheckFiles = 10024,        // check the open files against the disk
    Attach = 10524,            // wParam: the process id to attach the debugger to
    BuildProgress = 26024,     // forwarded to the status pane while a build runs
    BuildQuery = 26025,        // whether a build runs
};

using FrameMessageHandler =
    std::function<std::intptr_t(std::uintptr_t wparam, std::intptr_t lparam)>;

// Sends a message to the frame and returns the handler's answer. Messages 2024 and 3501-3503
// go to the command dispatcher unless a handler of their own is registered; any other
// message without a handler answers 0. User-interface thread only.
std::intptr_t SendFrameMessage(FrameMessage msg, std::uintptr_t wparam = 0,
                               std::intptr_t lparam = 0);
std::intptr_t SendFrameMessage(unsigned msg, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);

// Registers the handler of a message, replacing an earlier one; an empty handler removes it.
void SetFrameMessageHandler(FrameMessage msg, FrameMessageHandler handler);
bool HasFrameMessageHandler(FrameMessage msg);
// Removes every registered handler.
void ClearFrameMessageHandlers();

// lParam of a text message: the text's address.
inline std::intptr_t TextParam(const char* text) {
    return reinterpret_cast<std::intptr_t>(text);
}

}  // namespace velt
