// The readable summary of an object, library, program or DLL, and the console-program test.
#pragma once

#include <string>
#include <string_view>

namespace nimra {

// Appends the summary of `data` (named `name` in the text) to `out`. False, with `error` set,
// when the data is none of the kinds we know.
bool Summarize(const std::string& name, std::string_view data, std::string& out,
               std::string& error);

// A program runs in a console unless nimralnk marked it as a windows-subsystem program. Host
// programs without the mark and "#!" scripts count as console programs; objects, shared
// libraries and anything unknown are not programs at all.
bool IsConsoleProgram(std::string_view data);

}  // namespace nimra
