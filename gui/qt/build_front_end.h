// The build's windows: the "Compile file" and "Missing libraries" dialogs over the core's
// records, the width test of the build page's lines, and the hand-over of the build thread's
// events to the user-interface thread.
#pragma once

#include <functional>
#include <string>

namespace velt::gui {

// Installs the core's build (commands, menu text, tool messages read through `readBlock`)
// and fills its front-end hooks.
void InstallBuildFrontEnd(std::function<bool(std::string&)> readBlock);
void UninstallBuildFrontEnd();

}  // namespace velt::gui
