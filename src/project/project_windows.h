// What opening, saving and closing a project need of the windows beyond the Ui: the front
// end registers these; without a front end (tools, tests, headless) each has a plain default,
// so every operation also works with no window at all.
#pragma once

#include <functional>
#include <string>

#include "shell/settings.h"

namespace velt {

struct EditView;
struct OpenFileRecord;

struct ProjectWindowHooks {
    // The window state a save records: the main window's normal rectangle (a minimised frame
    // restored first), the files toolbar, the current document and every editor document with
    // its cursor line and window rectangle (negative left: minimised, negative right:
    // maximised). Default: the documents of CurrentDocuments() without rectangles, the frame
    // as the project last recorded it, no toolbar.
    std::function<SaveContext()> windowState;
    // Gives a reopened window its saved rectangle and state. Default: a maximised record
    // maximises the window through the Ui.
    std::function<void(EditView*, const OpenFileRecord&)> placeDocumentWindow;
    // Opening a project restores a maximised main window first.
    std::function<void()> restoreFrameIfMaximised;
    // The main window's title (ProjectFrameTitle()) changed.
    std::function<void(const std::string&)> setFrameTitle;
    // The files toolbar ("FilesToolbar") is to be shown at this rectangle.
    std::function<void(const ScreenRect&)> showFilesToolbar;
    // The tool chain changed (Eiffel or C): the compile entry of the menu reads
    // CompileMenuText() from now on.
    std::function<void()> toolChainChanged;
};

// Replaces the hooks; empty members take their defaults.
void SetProjectWindowHooks(ProjectWindowHooks hooks);
const ProjectWindowHooks& ProjectWindows();

// The window state for a save: the registered hook's, or the default described above.
SaveContext GatherWindowState();

}  // namespace velt
