// Command dispatch: every menu item, shortcut and command request reaches its handler here,
// in this order:
//   1. while a debug session runs, the function-key ids 1000-1012 that the debugger uses
//      become its commands (F2 300, F7 330, F5 340, F8 350, F4 360, F9 670);
//   2. while the resource editor's window is active, the commands it owns go to it;
//   3. without a current document, a command whose shortcut row says it needs one is
//      ignored (1117, open by name, always passes);
//   4. the command table: the first row for the id runs;
//   5. the rows of the commands the frame handles itself, after every table row;
//   6. otherwise the command is not handled.
// Subsystems and the front end register their rows; each row names its owner so a window
// that goes away can take its rows with it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace velt {

// The state the dispatch rules read.
struct FrameState {
    bool debugSession = false;          // a debug session runs
    bool resourceEditorActive = false;  // the resource editor's window is the active one
    bool hasCurrentDocument = false;
};

struct CommandCall {
    unsigned id = 0;  // the command being run (after the debugger's remapping)
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
};

// Returns the command's result (most return 0; 3503 returns the client size).
using CommandHandler = std::function<std::intptr_t(const CommandCall&)>;

enum class CommandPhase {
    Table,  // step 4: the command table
    Frame,  // step 5: commands of the frame itself, consulted after every table row
};

enum class DispatchStatus {
    Handled,     // a handler ran
    Redirected,  // sent to the resource editor
    Ignored,     // needs a document and there is none
    NotHandled,  // no row: the default frame procedure's business
};

struct DispatchResult {
    DispatchStatus status = DispatchStatus::NotHandled;
    unsigned command = 0;  // the id after remapping
    std::intptr_t value = 0;
};

// The debugger's command for a function-key id (1000-1012), or 0 when it has none.
unsigned DebuggerCommandForKeyId(unsigned id);
// Whether the resource editor takes `id` while its window is active.
bool ResourceEditorTakesCommand(unsigned id);

class CommandDispatcher {
  public:
    // Where the state comes from; without a source every flag reads false.
    void SetStateSource(std::function<FrameState()> source);
    // Receives the commands redirected to the resource editor (step 2). Without a receiver
    // such commands are not handled.
    void SetResourceEditor(CommandHandler receiver);

    // Appends a row for one id or a range of ids (first ... last). Rows of one phase are
    // consulted in registration order.
    void Register(unsigned id, CommandHandler handler, const void* owner = nullptr,
                  CommandPhase phase = CommandPhase::Table);
    void RegisterRange(unsigned first, unsigned last, CommandHandler handler,
                       const void* owner = nullptr, CommandPhase phase = CommandPhase::Table);
    // A condition of `id` beyond the rules above (Find Next needs a search text): while it
    // says no, the command is disabled and dispatching it does nothing (Ignored).
    void SetEnabledCheck(unsigned id, std::function<bool()> check, const void* owner = nullptr);
    // Removes every row and condition of `owner`.
    void Unregister(const void* owner);
    // Removes every row and condition, the state source and the resource editor.
    void Clear();

    DispatchResult Dispatch(unsigned id, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);

    // A row exists for the id (so the menu can grey commands whose subsystem is missing).
    bool IsAvailable(unsigned id) const;
    // Dispatching the id now would reach a handler: the rules above applied to the current
    // state.
    bool IsEnabled(unsigned id) const;

    FrameState State() const;

  private:
    struct Row {
        unsigned first;
        unsigned last;
        CommandHandler handler;
        const void* owner;
        CommandPhase phase;
    };
    struct Check {
        unsigned id;
        std::function<bool()> check;
        const void* owner;
    };
    const Row* Find(unsigned id) const;
    bool ChecksPass(unsigned id) const;

    std::vector<Row> rows_;
    std::vector<Check> checks_;
    std::function<FrameState()> state_;
    CommandHandler resourceEditor_;
};

// The frame's dispatcher, used by the menu, the shortcuts and message 2024.
CommandDispatcher& FrameCommands();
DispatchResult DispatchCommand(unsigned id, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);
bool IsCommandAvailable(unsigned id);
bool IsCommandEnabled(unsigned id);

}  // namespace velt
