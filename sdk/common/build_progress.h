// The build-progress report to a running IDE: the line goes into the shared block "velt"
// and the message 0x65A8 asks the IDE to show it. The IDE's reply 1 means that the user
// asked to stop the build.
#pragma once

#include <string_view>

namespace nimra {

enum class ProgressReply {
    NoInstance,  // no IDE runs, or it did not answer: carry on silently
    Carry,       // shown (or ignored because no build runs): carry on
    Stop,        // the user asked to stop
};

ProgressReply ReportBuildProgress(std::string_view line, int timeoutMs = 3000);

}  // namespace nimra
