// The questions asked before the IDE closes (closing the frame, Quit, the end of the desktop
// session, closing all windows): first whether a running debug session may end, then what
// to do with the modified documents.
#pragma once

namespace velt {

// Set while a debug session runs; the debugger sets and clears it.
void SetDebugSessionRunning(bool running);
bool DebugSessionRunning();

enum class CloseDecision {
    Proceed,  // go on closing
    Veto,     // the user (or a failed save) keeps the IDE open
};

// While a debug session runs, asks 31 "This will close the debugging session"; No vetoes.
// Then collects the documents whose modified flag is set and that are not internal buffers
// and, when there are any, asks once through Ui::AskModifiedFiles listing them all: Cancel
// vetoes, Forget goes on without saving, Save all saves each listed document in turn and the
// first save that fails vetoes (the editor has said why; the rest stay unsaved).
CloseDecision ConfirmClose();

// The second half of ConfirmClose, for the commands that offer the modified documents first
// (Make, New project): true to go on.
bool OfferModifiedDocuments();

}  // namespace velt
