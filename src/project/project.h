// The open project: one global record of the files, directories, flags, make settings, open
// windows, breakpoints and file processors of a named project. Every list grows at its head,
// so its order in memory is the reverse of the order in which entries were added (the
// breakpoints alone are appended), and a save writes them in memory order.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Fields that the system held in buffers of 400 bytes keep at most this many characters.
inline constexpr std::size_t kProjectFieldMax = 399;

// ProjectFlags bits.
enum : std::uint32_t {
    kProjectUsesCms = 0x1,
    kProjectEiffel = 0x2,
    kProjectFortran = 0x4,
};

// CompilerFlags bits.
enum : std::uint32_t {
    kCompileNoDebugLink = 0x1,
    kCompileOptimise = 0x4,
    kCompileDebug2 = 0x8,
    kCompileBrowse = 0x10,
    kCompileAsmListing = 0x20,
    kTargetWindows = 0x40,
    kTargetConsole = 0x80,
    kTargetDll = 0x100,
    kCompileAllWarnings = 0x200,
    kTargetLibrary = 0x400,
    kCompileDebug3 = 0x800,
    kCompileDebug4 = 0x1000,
    kLinkMap = 0x2000,
    kPack1 = 0x4000,
    kPack2 = 0x8000,
    kPack4 = 0x10000,
    kPack8 = 0x20000,
    kPack16 = 0x40000,
    kCompileIntermediate = 0x80000,
    kCompilePentiumPro = 0x200000,
    kLinkNoUnderscores = 0x400000,
    kCompileUnusedAssignments = 0x800000,
    kCompileAnsiC = 0x1000000,
};

struct MakeSettings {
    std::string makeName;  // 400
    std::string makeArgs;
    std::string makeDir;  // 400: objects, the makefile and the output go here
};

// An editor window to reopen. A negative left marks a minimised window, a negative right a
// maximised one; the magnitudes are its normal rectangle in screen coordinates.
struct OpenFileRecord {
    std::string name;  // as read: a quoted name keeps its quotes
    int line = 0;      // the cursor's line, from 1
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool minimised() const { return left < 0; }
    bool maximised() const { return right < 0; }
};

struct DependencyEntry {
    std::string file;                  // a project file
    std::deque<std::string> includes;  // the files it includes, each once
};

// A custom build rule of one file; the behaviour belongs to the build.
struct FileProcessor {
    std::string file;     // 399
    std::string command;  // 399
    std::string output;   // 399
};

struct BreakpointEntry {
    std::string file;
    int line = 0;
};

// A named set of file revisions of the versioning system; kept with the project, read and
// written by the versioning system.
struct ProjectRelease {
    std::string name;
    std::string author;
    std::string description;
    std::string date;
    std::deque<std::string> files;  // "name,revision"
};

// The versioning system's settings kept in the project file with the file list.
struct CmsSettings {
    std::deque<std::string> users;  // UserCount, User%d
    std::uint32_t putOptions = 4;
    std::uint32_t getOptions = 0;
    std::uint32_t fileOptions = 0;
    std::uint32_t lockOptions = 1;
    std::uint32_t usersOptions = 1;
};

struct Project {
    std::deque<std::string> files;  // PrjFiles, File%d: upper case, no duplicates
    std::string name;               // Name, the section; empty: no project open
    std::string projectPath;        // ProjectPath (400)
    std::uint32_t projectFlags = 0;
    std::string cmsDirectory;            // CmsDirectory
    std::string currentFile;             // CurrentFile
    std::unique_ptr<MakeSettings> make;  // MakeName, MakeArgs, MakeDir; null: none yet
    std::string includes;                // Includes, ';'-separated
    std::string defines;                 // Defines
    std::string errorFile;               // ErrorFile (400)
    std::string sourcesDir;              // SourcesDir (400)
    std::string exe;                     // Exe (400)
    std::uint32_t compilerFlags = 0;
    std::string libraries;                     // Libraries, blank-separated
    std::deque<DependencyEntry> dependencies;  // File%dDependencies...
    std::vector<BreakpointEntry> breakpoints;  // NumberOfBreakpoints, BreakPoint%d
    std::string dllEntry;                      // not stored
    std::deque<OpenFileRecord> openFiles;      // OpenFiles, OpenFile%d
    int frameX = 0;                            // Frame
    int frameY = 0;
    int frameCX = 0;
    int frameCY = 0;
    std::deque<FileProcessor> fileProcessors;  // NrOfFileProcessors, FileProcessor%d
    std::deque<ProjectRelease> releases;
    std::string linkerArgs;  // LinkerArgs
    std::uint32_t eiffelFlags = 0;
    std::uint32_t fortranFlags = 0;
    std::string eiffelRootClass;
    std::string eiffelRootProcedure;
    std::uint16_t exeMajorVersion = 0;
    std::uint16_t exeMinorVersion = 0;
    CmsSettings cms;
};

// The one open project.
Project& CurrentProject();
bool ProjectIsOpen();
// Releases every field: no project open.
void ClearProject(Project& project);

// `text` cut to the 399 characters a 400-byte field holds.
std::string CutField(std::string_view text);

// Adds a file name at the head of the list unless the same name (exact comparison) is there.
// True when it was added.
bool AddProjectFile(Project& project, const std::string& name);

// The kind of target named by the compiler flags: "Library", "Dll", "Console application"
// or "Windows application", and the output file's default extension ".lib", ".dll", ".exe".
std::string TargetKindText(std::uint32_t compilerFlags);
std::string DefaultOutputExtension(std::uint32_t compilerFlags);

// The diagnostics file when none is set: "<make directory or .>/<name>.err", the project
// name without its directory.
std::string DefaultErrorFile(const Project& project);

}  // namespace velt
