#include "project/build_pages.h"

#include "platform/files.h"
#include "project/makefile.h"
#include "project/project.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"

namespace velt {

namespace {

bool gNewProjectSequence = false;

void SetBit(std::uint32_t& flags, std::uint32_t bit, bool on) {
    if (on)
        flags |= bit;
    else
        flags &= ~bit;
}

constexpr std::uint32_t kAllAlignments = kPack1 | kPack2 | kPack4 | kPack8 | kPack16;
constexpr std::uint32_t kAllTargets = kTargetWindows | kTargetConsole | kTargetDll | kTargetLibrary;

}  // namespace

std::string IncludePathFromEntry(const std::string& typed) {
    std::string out;
    bool quoted = false;
    bool pendingBlank = false;
    for (char c : typed) {
        if (!quoted && c == ' ') {
            pendingBlank = true;
            continue;
        }
        if (pendingBlank && !out.empty() && out.back() != ';' && c != ';') out += ';';
        pendingBlank = false;
        if (c == '"') quoted = !quoted;
        out += c;
    }
    return out;
}

// ---- Compiler

void CompilerPage::Load(const ConfigContext&) {
    loaded_ = ProjectIsOpen();
    if (!loaded_) return;
    Project& p = CurrentProject();
    dll = (p.compilerFlags & kTargetDll) != 0;
    if (dll && (p.compilerFlags & (kCompileDebug3 | kCompileDebug4))) {
        p.compilerFlags &= ~(kCompileDebug3 | kCompileDebug4);
        p.compilerFlags |= kCompileDebug2;
    }
    const std::uint32_t f = p.compilerFlags;
    defines = p.defines;
    includes = p.includes;
    errorFile = p.errorFile;
    asmListing = f & kCompileAsmListing;
    browseInfo = f & kCompileBrowse;
    optimise = f & kCompileOptimise;
    debugInfo = f & kCompileDebug2;
    stackTrace = f & kCompileDebug3;
    stackTraceLines = f & kCompileDebug4;
    // The stack traces imply debug info, so the box shows checked with them.
    if (stackTrace || stackTraceLines) debugInfo = true;
    allWarnings = f & kCompileAllWarnings;
    alignment = kAlignmentDefault;
    for (int i = 0; i < kAlignmentDefault; ++i)
        if (f & kAlignmentBits[i]) {
            alignment = i;
            break;
        }
    intermediate = f & kCompileIntermediate;
    pentiumPro = f & kCompilePentiumPro;
    unusedAssignments = f & kCompileUnusedAssignments;
    ansiOnly = f & kCompileAnsiC;
}

void CompilerPage::SetDebugInfo(bool on) {
    debugInfo = on;
    if (!on) stackTrace = stackTraceLines = false;
}

void CompilerPage::SetStackTrace(bool on) {
    if (StackTraceEnabled()) stackTrace = on;
}

void CompilerPage::SetStackTraceLines(bool on) {
    if (StackTraceEnabled()) stackTraceLines = on;
}

bool CompilerPage::Apply(ConfigContext& ctx) {
    if (!loaded_ || !ProjectIsOpen()) return true;
    Project& p = CurrentProject();
    std::uint32_t f = p.compilerFlags;
    f &= ~(kCompileDebug2 | kCompileDebug3 | kCompileDebug4 | 0x100000u);
    SetBit(f, kCompileAsmListing, asmListing);
    SetBit(f, kCompileBrowse, browseInfo);
    SetBit(f, kCompileOptimise, optimise);
    SetBit(f, kCompileDebug2, debugInfo);
    SetBit(f, kCompileDebug3, stackTrace && StackTraceEnabled());
    SetBit(f, kCompileDebug4, stackTraceLines && StackTraceEnabled());
    SetBit(f, kCompileAllWarnings, allWarnings);
    f &= ~kAllAlignments;
    if (alignment >= 0 && alignment < kAlignmentDefault) f |= kAlignmentBits[alignment];
    SetBit(f, kCompileIntermediate, intermediate);
    SetBit(f, kCompilePentiumPro, pentiumPro);
    SetBit(f, kCompileUnusedAssignments, unusedAssignments);
    SetBit(f, kCompileAnsiC, ansiOnly);
    if (f & (kCompileDebug3 | kCompileDebug4)) {
        f |= kCompileDebug2;
        f &= ~kCompileNoDebugLink;
    }
    if (!(f & (kCompileDebug2 | kCompileDebug3 | kCompileDebug4)) && !debugInfo) {
        f |= kCompileNoDebugLink;
        f &= ~kCompileDebug2;
    }
    if (f & kCompileDebug2) f &= ~kCompileNoDebugLink;

    const std::string inc = CutField(IncludePathFromEntry(includes));
    const std::string err = CutField(AsciiUpper(errorFile));
    if (f != p.compilerFlags || defines != p.defines || inc != p.includes || err != p.errorFile)
        ctx.projectChanged = true;
    p.compilerFlags = f;
    p.defines = defines;
    p.includes = inc;
    p.errorFile = err;
    return true;
}

// ---- Linker

void SetLinkerPageForNewProject(bool on) {
    gNewProjectSequence = on;
}

void LinkerPage::Load(const ConfigContext&) {
    loaded_ = ProjectIsOpen();
    if (!loaded_) return;
    const Project& p = CurrentProject();
    const std::uint32_t f = p.compilerFlags;
    libraries = p.libraries;
    if (gNewProjectSequence && (f & kTargetConsole) &&
        AsciiLower(libraries).find("txtconio.lib") == std::string::npos)
        libraries += " txtconio.lib";
    exe = p.exe;
    noDebugInfo = loadedNoDebugInfo_ = f & kCompileNoDebugLink;
    windowsApp = f & kTargetWindows;
    consoleApp = f & kTargetConsole;
    dll = f & kTargetDll;
    staticLibrary = f & kTargetLibrary;
    mapFile = f & kLinkMap;
    dllEntry = p.dllEntry.empty() ? kDefaultDllEntry : p.dllEntry;
    linkerArgs = p.linkerArgs;
    noUnderscores = f & kLinkNoUnderscores;
}

bool LinkerPage::Apply(ConfigContext& ctx) {
    if (!loaded_ || !ProjectIsOpen()) return true;
    Project& p = CurrentProject();
    std::uint32_t f = p.compilerFlags;
    std::string lib = libraries;
    for (char& c : lib)
        if (c == ',' || c == ';') c = ' ';

    std::string out = exe;
    if (!out.empty() && out.find(platform::kPathSeparator) == std::string::npos && p.make &&
        !p.make->makeDir.empty())
        out = p.make->makeDir + platform::kPathSeparator + out;
    out = CutField(out);

    // The Compiler page, stored first, sets this bit from the debug switches; only a change
    // made here overrides it, or checking debug info there would still strip the program.
    if (noDebugInfo != loadedNoDebugInfo_) SetBit(f, kCompileNoDebugLink, noDebugInfo);
    SetBit(f, kTargetWindows, windowsApp);
    SetBit(f, kTargetConsole, consoleApp);
    SetBit(f, kTargetDll, dll);
    SetBit(f, kTargetLibrary, staticLibrary);
    SetBit(f, kLinkMap, mapFile);
    SetBit(f, kLinkNoUnderscores, noUnderscores);
    if (f & kTargetWindows) f &= ~(kAllTargets & ~kTargetWindows);
    if (f & kTargetConsole) f &= ~(kAllTargets & ~kTargetConsole);
    if (f & kTargetLibrary) f &= ~(kAllTargets & ~kTargetLibrary);
    if (f & kTargetDll) {
        f &= ~(kAllTargets & ~kTargetDll);
        const std::size_t slash = out.rfind(platform::kPathSeparator);
        const std::size_t dot = out.rfind('.');
        if (!out.empty())
            out = (dot == std::string::npos || (slash != std::string::npos && dot < slash)
                       ? out
                       : out.substr(0, dot)) +
                  ".dll";
    }
    f &= ~0x2u;

    const std::string entry =
        dllEntry == kDefaultDllEntry && p.dllEntry.empty() ? std::string() : dllEntry;
    if (f != p.compilerFlags || lib != p.libraries || out != p.exe || entry != p.dllEntry ||
        linkerArgs != p.linkerArgs)
        ctx.projectChanged = true;
    p.compilerFlags = f;
    p.libraries = lib;
    p.exe = out;
    if (!out.empty()) ctx.settings.debuggerExeName = out;
    p.dllEntry = entry;
    p.linkerArgs = linkerArgs;
    return true;
}

// ---- After the sheet

void InstallRebuildMakefileQuestion() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    AddConfigConfirmedHandler([](const GlobalSettings&, ConfigContext& ctx) {
        if (!ctx.projectChanged || !ProjectIsOpen()) return;
        if (AskYesNo(kRebuildMakefileQuestion)) GenerateMakefileCommand();
    });
}

}  // namespace velt
