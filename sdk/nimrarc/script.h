// Turning a tokenized resource script into resources: the syntax check and the binary forms
// (string tables, icons, cursors, bitmaps, menus, dialogs, accelerators, version
// information, raw data and files).
#pragma once

#include <string>
#include <vector>

#include "nimrarc/resources.h"
#include "nimrarc/tokens.h"

namespace nimrarc {

struct ScriptContext {
    // Where files named by the script are looked for, after the current directory.
    std::vector<std::string> searchDirs;
};

struct ScriptResult {
    bool ok = false;
    std::string message;  // the first error
    int file = 0;         // its place, an index into the script's file names
    int line = 0;
    std::vector<Resource> resources;
};

ScriptResult CompileScript(const TokenizedScript& script, const ScriptContext& context);

}  // namespace nimrarc
