#include "shell/dispatch.h"

#include <algorithm>

#include "shell/commands.h"
#include "shell/shortcuts.h"

namespace velt {
namespace {

// The function keys the debugger takes over during a session, by virtual key (id - 888).
struct DebugKey {
    unsigned vk;
    unsigned command;
};
constexpr DebugKey kDebugKeys[] = {
    {VkF(2), kCmdDebugBreakpoint}, {VkF(7), kCmdDebugRunToCursor}, {VkF(5), kCmdDebugExecute},
    {VkF(8), kCmdDebugStepIn},     {VkF(4), kCmdDebugSameLevel},   {VkF(9), kCmdDebugStepOut},
};

// The commands the resource editor owns while its window is active. 7044 is deliberately
// absent.
constexpr unsigned kResourceEditorCommands[] = {
    kCmdSave,
    kCmdSaveAs,
    kCmdClose,
    kCmdUndo,
    kCmdCut,
    kCmdCopy,
    kCmdPaste,
    1134,
    1141,
    kCmdReload,
    kCmdResourceSymbols,
    1259,
    kCmdResourceGroup,
    kCmdNewStrings,
    kCmdNewAccelerator,
    kCmdResourceShowDirectory,
    kCmdNewDialog,
    kCmdNewMenu,
    kCmdResourceZoom,
    7040,
    7041,
    7042,
    7043,
    7045,
    kCmdResourceConfig,
    kCmdResourceTest,
    kCmdResourceOutput,
};

}  // namespace

unsigned DebuggerCommandForKeyId(unsigned id) {
    if (id < kCmdDebugKeyFirst || id > kCmdDebugKeyLast) return 0;
    const unsigned vk = id - kCmdDebugKeyBase;
    for (const DebugKey& k : kDebugKeys)
        if (k.vk == vk) return k.command;
    return 0;
}

bool ResourceEditorTakesCommand(unsigned id) {
    return std::find(std::begin(kResourceEditorCommands), std::end(kResourceEditorCommands), id) !=
           std::end(kResourceEditorCommands);
}

void CommandDispatcher::SetStateSource(std::function<FrameState()> source) {
    state_ = std::move(source);
}

void CommandDispatcher::SetResourceEditor(CommandHandler receiver) {
    resourceEditor_ = std::move(receiver);
}

void CommandDispatcher::Register(unsigned id, CommandHandler handler, const void* owner,
                                 CommandPhase phase) {
    RegisterRange(id, id, std::move(handler), owner, phase);
}

void CommandDispatcher::RegisterRange(unsigned first, unsigned last, CommandHandler handler,
                                      const void* owner, CommandPhase phase) {
    if (!handler || first > last) return;
    rows_.push_back({first, last, std::move(handler), owner, phase});
}

void CommandDispatcher::SetEnabledCheck(unsigned id, std::function<bool()> check,
                                        const void* owner) {
    if (check) checks_.push_back({id, std::move(check), owner});
}

bool CommandDispatcher::ChecksPass(unsigned id) const {
    for (const Check& c : checks_)
        if (c.id == id && !c.check()) return false;
    return true;
}

void CommandDispatcher::Unregister(const void* owner) {
    std::erase_if(rows_, [owner](const Row& r) { return r.owner == owner; });
    std::erase_if(checks_, [owner](const Check& c) { return c.owner == owner; });
}

void CommandDispatcher::Clear() {
    rows_.clear();
    checks_.clear();
    state_ = nullptr;
    resourceEditor_ = nullptr;
}

FrameState CommandDispatcher::State() const {
    return state_ ? state_() : FrameState{};
}

const CommandDispatcher::Row* CommandDispatcher::Find(unsigned id) const {
    for (CommandPhase phase : {CommandPhase::Table, CommandPhase::Frame})
        for (const Row& row : rows_)
            if (row.phase == phase && id >= row.first && id <= row.last) return &row;
    return nullptr;
}

DispatchResult CommandDispatcher::Dispatch(unsigned id, std::uintptr_t wparam,
                                           std::intptr_t lparam) {
    const FrameState state = State();
    DispatchResult result;
    if (state.debugSession)
        if (unsigned remapped = DebuggerCommandForKeyId(id)) id = remapped;
    result.command = id;
    const CommandCall call{id, wparam, lparam};

    if (state.resourceEditorActive && ResourceEditorTakesCommand(id)) {
        if (!resourceEditor_) return result;
        // A copy: the receiver may change the registrations while it runs.
        CommandHandler receiver = resourceEditor_;
        result.status = DispatchStatus::Redirected;
        result.value = receiver(call);
        return result;
    }
    if (!state.hasCurrentDocument && id != kCmdOpenByName && !AllowedWithoutDocument(id)) {
        result.status = DispatchStatus::Ignored;
        return result;
    }
    const Row* row = Find(id);
    if (!row) return result;
    if (!ChecksPass(id)) {
        result.status = DispatchStatus::Ignored;
        return result;
    }
    CommandHandler handler = row->handler;
    result.status = DispatchStatus::Handled;
    result.value = handler(call);
    return result;
}

bool CommandDispatcher::IsAvailable(unsigned id) const {
    return Find(id) != nullptr;
}

bool CommandDispatcher::IsEnabled(unsigned id) const {
    const FrameState state = State();
    if (state.debugSession)
        if (unsigned remapped = DebuggerCommandForKeyId(id)) id = remapped;
    if (state.resourceEditorActive && ResourceEditorTakesCommand(id))
        return static_cast<bool>(resourceEditor_);
    if (!state.hasCurrentDocument && id != kCmdOpenByName && !AllowedWithoutDocument(id))
        return false;
    return IsAvailable(id) && ChecksPass(id);
}

CommandDispatcher& FrameCommands() {
    static CommandDispatcher dispatcher;
    return dispatcher;
}

DispatchResult DispatchCommand(unsigned id, std::uintptr_t wparam, std::intptr_t lparam) {
    return FrameCommands().Dispatch(id, wparam, lparam);
}

bool IsCommandAvailable(unsigned id) {
    return FrameCommands().IsAvailable(id);
}

bool IsCommandEnabled(unsigned id) {
    return FrameCommands().IsEnabled(id);
}

}  // namespace velt
