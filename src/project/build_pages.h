// The "Compiler" and "Linker" ("Librarian") pages of the configuration sheet: the open
// project's compiler switches and its link side. Both mark the project as changed, which
// leads to the makefile question when the sheet closes.
#pragma once

#include <cstdint>
#include <string>

#include "shell/config_dialog.h"

namespace velt {

inline constexpr char kRebuildMakefileQuestion[] = "Project has changed. Rebuild the makefile?";
inline constexpr char kDefaultDllEntry[] = "LibMain";

// The structure alignment list: "none", "2", "4", "8", "16", "default" stand for these bits
// (the last for none of them).
inline constexpr const char* kAlignmentChoices[] = {"none", "2", "4", "8", "16", "default"};
inline constexpr std::uint32_t kAlignmentBits[] = {0x4000, 0x8000, 0x10000, 0x20000, 0x40000, 0};
inline constexpr int kAlignmentDefault = 5;

// The text of "<include> Path" as stored: outside double quotes, each run of blanks
// between directories becomes one ';' (none before, after or beside a ';').
std::string IncludePathFromEntry(const std::string& typed);

class CompilerPage : public ConfigPage {
  public:
    std::string defines;                // "#defines"
    std::string includes;               // "<include> Path"
    std::string errorFile;              // "File for error messages/warnings"
    bool asmListing = false;            // "Generate .asm"
    bool browseInfo = false;            // "Generate browse info"
    bool optimise = false;              // "Optimize"
    bool debugInfo = false;             // "Generate debug info"
    bool stackTrace = false;            // "Run time stack trace support (-g3)"
    bool stackTraceLines = false;       // "Run time stack trace and line number support (-g4)"
    bool allWarnings = false;           // warning level "All" (else "Normal")
    int alignment = kAlignmentDefault;  // row of kAlignmentChoices
    bool intermediate = false;          // "Generate intermediate language file"
    bool pentiumPro = false;            // "Use pentium pro instructions"
    bool unusedAssignments = false;     // "Eliminate unused assignments"
    bool ansiOnly = false;              // language extensions "Ansi-C only" (else "Use")
    bool dll = false;                   // the project builds a DLL

    ConfigPageId Id() const override { return ConfigPageId::Compiler; }
    // A DLL loses the stack-trace bits (debug info instead) as the page opens.
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    bool Apply(ConfigContext& ctx) override;

    // The stack-trace boxes can be used only with debug info, and never for a DLL.
    bool StackTraceEnabled() const { return debugInfo && !dll; }
    // Unchecking debug info unchecks the stack-trace boxes.
    void SetDebugInfo(bool on);
    // Ignored while the boxes are disabled.
    void SetStackTrace(bool on);
    void SetStackTraceLines(bool on);

  private:
    bool loaded_ = false;
};

// Set by the new-project sequence while its pages run: a console program is then offered
// the text-console library.
void SetLinkerPageForNewProject(bool on);

class LinkerPage : public ConfigPage {
  public:
    std::string libraries;       // "Additional files to be included in the link"
    std::string exe;             // "Output file name"
    bool noDebugInfo = false;    // "Do not include the debug information"
    bool windowsApp = false;     // "Windows appl"
    bool consoleApp = false;     // "Console appl."
    bool dll = false;            // "DLL"
    bool staticLibrary = false;  // "Static library"
    bool mapFile = false;        // "Generate a map file"
    std::string dllEntry;        // "Entry point name (for dlls)"
    std::string linkerArgs;      // "Additional command line arguments"
    bool noUnderscores = false;  // "Do not include underscores in dll exports"

    ConfigPageId Id() const override { return ConfigPageId::Linker; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    // The kinds of target exclude each other (a DLL's output gets ".dll"); a bare output
    // name goes to the make directory and becomes the debugger's program.
    bool Apply(ConfigContext& ctx) override;

    bool EntryEnabled() const { return dll; }
    // For a static library the output name, the map and the debug information are not asked.
    bool OutputControlsEnabled() const { return !staticLibrary; }

  private:
    bool loaded_ = false;
    bool loadedNoDebugInfo_ = false;
};

// Registers the question after a confirmed sheet that changed the project: Yes generates
// the makefile (as Generate Makefile does). Once; later calls do nothing.
void InstallRebuildMakefileQuestion();

}  // namespace velt
