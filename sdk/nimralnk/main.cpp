// nimralnk.exe: links 32-bit objects into a program or a DLL with the host's "gcc -m32", and
// reports in the compiler system's format. The output is written under a temporary name and
// takes its real name only when everything succeeded, so a failed link never leaves a
// half-made program behind.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host.h"
#include "ld_messages.h"
#include "library_kind.h"
#include "link_map.h"
#include "link_options.h"
#include "object_file.h"

namespace nimra {
namespace {

// Windows system libraries whose functions the host's C library stands in for. Named in a
// link without a file of that name, they add nothing.
const std::set<std::string> kSystemLibraries = {
    "kernel32.lib", "user32.lib",  "gdi32.lib",  "advapi32.lib", "comctl32.lib",
    "comdlg32.lib", "shell32.lib", "ole32.lib",  "oleaut32.lib", "uuid.lib",
    "winmm.lib",    "wsock32.lib", "ws2_32.lib", "version.lib",  "winspool.lib",
    "msvcrt.lib",   "crtdll.lib",  "libc.lib",   "txtconio.lib"};

int Fail(const std::string& message) {
    std::fprintf(stderr, "Error nimralnk: %s\n", message.c_str());
    return 1;
}

// The note that tells imgdump which subsystem a program was linked for.
std::string SubsystemNote(uint32_t subsystem) {
    return "\t.section .note.nimra,\"a\",@note\n"
           "\t.balign 4\n"
           "\t.long 6\n\t.long 4\n\t.long 1\n"
           "\t.asciz \"nimra\"\n"
           "\t.balign 4\n"
           "\t.long " +
           std::to_string(subsystem) +
           "\n"
           "\t.section .note.GNU-stack,\"\",@progbits\n";
}

// A DLL's entry point is called like a Windows DLL entry: (module base, 1, 0) when the library
// is loaded and (module base, 0, 0) when it is unloaded. Without -entry the default LibMain is
// called when the DLL defines one.
std::string DllEntryCode(const std::string& entry, bool required) {
    std::string s = "\t.section .note.GNU-stack,\"\",@progbits\n";
    if (!required) s += "\t.weak " + entry + "\n";
    s += "\t.text\n"
         "\t.p2align 4\n"
         "__nimra_dll_attach:\n"
         "\tmovl $1, %ecx\n"
         "\tjmp __nimra_dll_call\n"
         "__nimra_dll_detach:\n"
         "\txorl %ecx, %ecx\n"
         "__nimra_dll_call:\n"
         "\tpushl %ebp\n"
         "\tmovl %esp, %ebp\n"
         "\tpushl %ebx\n"
         "\tcall __nimra_dll_pc\n"
         "\taddl $_GLOBAL_OFFSET_TABLE_, %ebx\n"
         "\tmovl " +
         entry +
         "@GOT(%ebx), %eax\n"
         "\ttestl %eax, %eax\n"
         "\tjz 1f\n"
         "\tleal __ehdr_start@GOTOFF(%ebx), %edx\n"
         "\tpushl $0\n"
         "\tpushl %ecx\n"
         "\tpushl %edx\n"
         "\tcall *%eax\n"
         "1:\tmovl -4(%ebp), %ebx\n"
         "\tmovl %ebp, %esp\n"  // the entry may be stdcall or cdecl
         "\tpopl %ebp\n"
         "\tret\n"
         "__nimra_dll_pc:\n"
         "\tmovl (%esp), %ebx\n"
         "\tret\n"
         "\t.section .init_array,\"aw\"\n"
         "\t.p2align 2\n"
         "\t.long __nimra_dll_attach\n"
         "\t.section .fini_array,\"aw\"\n"
         "\t.p2align 2\n"
         "\t.long __nimra_dll_detach\n";
    return s;
}

struct LinkInputs {
    std::vector<std::string> objects;
    std::vector<std::string> libraries;  // archives, DLLs and -l options, in command order
    bool usesDlls = false;
};

std::string FindInput(const std::string& name, const std::vector<std::string>& dirs) {
    if (name.find('/') != std::string::npos) return FindNoCase(DirName(name), BaseName(name));
    for (const std::string& dir : dirs) {
        std::string found = FindNoCase(dir, name);
        if (!found.empty()) return found;
    }
    return "";
}

bool ResolveInputs(const LinkOptions& options, LinkInputs& inputs, std::string& error) {
    for (const std::string& obj : options.objects) {
        std::string found = FindInput(obj, {"."});
        if (found.empty()) {
            error = "cannot open " + obj;
            return false;
        }
        inputs.objects.push_back(found);
    }
    // Libraries: the current directory, the -L directories, then the root's lib directory.
    std::vector<std::string> dirs = {"."};
    dirs.insert(dirs.end(), options.libDirs.begin(), options.libDirs.end());
    dirs.push_back(JoinPath(RootDir(), "lib"));
    for (const std::string& lib : options.libraries) {
        std::string found = FindInput(lib, dirs);
        if (found.empty()) {
            if (lib.find('/') == std::string::npos && kSystemLibraries.count(Lower(lib))) continue;
            error = "cannot find library " + lib;
            return false;
        }
        std::string data;
        if (!ReadWholeFile(found, data)) {
            error = "cannot read " + found + ": " + std::strerror(errno);
            return false;
        }
        LibraryInfo info = ClassifyLibrary(data);
        switch (info.kind) {
            case LibraryKind::Archive:
                inputs.libraries.push_back(found);
                break;
            case LibraryKind::SharedObject:
                inputs.libraries.push_back(found);
                inputs.usesDlls = true;
                break;
            case LibraryKind::Import: {
                std::string dll = JoinPath(DirName(found), ToSlashes(info.dll));
                if (!FileExists(dll)) {
                    error = "the DLL " + dll + " of the import library " + found + " is missing";
                    return false;
                }
                inputs.libraries.push_back(dll);
                inputs.usesDlls = true;
                break;
            }
            case LibraryKind::HostMarker:
                for (const std::string& host : info.hostLibs)
                    inputs.libraries.push_back("-l" + host);
                break;
            case LibraryKind::Unknown:
                error = found + " is not a library";
                return false;
        }
    }
    return true;
}

// The import library written beside a DLL; an existing file of that name is replaced only when
// it is an import library itself.
void WriteImportLibrary(const std::string& dllPath) {
    std::string base = dllPath.substr(0, dllPath.size() - Extension(dllPath).size());
    if (Extension(dllPath).empty()) base += ".";
    std::string lib = base + "lib";
    if (lib == dllPath) return;
    std::string existing;
    if (ReadWholeFile(lib, existing) && ClassifyLibrary(existing).kind != LibraryKind::Import) {
        std::fprintf(stderr, "Warning nimralnk: %s exists and is not an import library; kept\n",
                     lib.c_str());
        return;
    }
    std::string text = std::string(kImportMarker) + "\n" + BaseName(dllPath) + "\n";
    std::string tmp = lib + ".tmp";
    if (!WriteWholeFile(tmp, text) || ::rename(tmp.c_str(), lib.c_str()) != 0) {
        ::unlink(tmp.c_str());
        std::fprintf(stderr, "Warning nimralnk: cannot write the import library %s\n", lib.c_str());
    }
}

int Link(const LinkOptions& options) {
    LinkInputs inputs;
    std::string error;
    if (!ResolveInputs(options, inputs, error)) return Fail(error);
    for (const std::string& res : options.resources) {
        if (FindInput(res, {"."}).empty()) return Fail("cannot open " + res);
    }

    TempDir temp;
    if (!temp.ok())
        return Fail(std::string("cannot make a temporary directory: ") + std::strerror(errno));
    std::string asmFile = JoinPath(temp.path(), "nimra_link.s");
    std::string code;
    if (options.dll) {
        code =
            DllEntryCode(options.entry.empty() ? "LibMain" : options.entry, !options.entry.empty());
    } else {
        code = SubsystemNote(options.subsystem == "windows" ? 2 : 3);
    }
    if (!WriteWholeFile(asmFile, code)) return Fail("cannot write " + asmFile);

    // The new program is made beside the old one and renamed over it at the end.
    std::string outDir = DirName(options.output);
    if (!IsDirectory(outDir)) return Fail("the directory of " + options.output + " does not exist");
    std::string partial = JoinPath(outDir, "." + BaseName(options.output) + ".nimralnk-XXXXXX");
    int fd = ::mkstemp(partial.data());
    if (fd < 0) return Fail("cannot write in " + outDir + ": " + std::strerror(errno));
    ::close(fd);
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            if (!path.empty()) ::unlink(path.c_str());
        }
    } cleanup{partial};

    std::vector<std::string> cmd = {"gcc", "-m32", "-o", partial};
    if (options.dll) {
        cmd.insert(cmd.end(), {"-shared", "-Wl,-soname," + BaseName(options.output)});
    } else {
        cmd.push_back("-no-pie");
    }
    if (!options.entry.empty()) {
        cmd.push_back("-Wl,-e," + options.entry);
        cmd.push_back("-Wl,--require-defined=" + options.entry);
    }
    cmd.push_back(asmFile);
    cmd.insert(cmd.end(), inputs.objects.begin(), inputs.objects.end());
    // Windows linkers search libraries regardless of their order on the command line.
    if (!inputs.libraries.empty()) {
        cmd.push_back("-Wl,--start-group");
        cmd.insert(cmd.end(), inputs.libraries.begin(), inputs.libraries.end());
        cmd.push_back("-Wl,--end-group");
    }
    // DLLs are found in the directory of the program that uses them.
    if (inputs.usesDlls) cmd.push_back("-Wl,-rpath,$ORIGIN");

    std::string output;
    RunOptions run;
    run.output = &output;
    run.extraEnv = {"LC_ALL=C", "LANGUAGE="};
    int rc = Run(cmd, run);
    for (const std::string& line : TranslateLinkerMessages(output)) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (rc < 0) return Fail(std::string("cannot run gcc: ") + std::strerror(errno));
    if (rc != 0) return 1;

    if (!options.map.empty()) {
        std::string data;
        ElfImage image;
        if (!ReadWholeFile(partial, data) || !ParseElf(data, image, error)) {
            return Fail("cannot read the linked " + options.output + " for the map");
        }
        if (!WriteWholeFile(options.map, MakeLinkMap(BaseName(options.output), image))) {
            return Fail("cannot write the map " + options.map + ": " + std::strerror(errno));
        }
    }

    // Stripping and the resources: one objcopy over the linked file.
    std::vector<std::string> copy = {"objcopy"};
    if (options.strip) copy.push_back("--strip-all");
    if (!options.resources.empty()) {
        std::string all;
        for (const std::string& res : options.resources) {
            std::string data;
            if (!ReadWholeFile(FindInput(res, {"."}), data)) return Fail("cannot read " + res);
            all += data;
        }
        std::string rsrc = JoinPath(temp.path(), "resources.bin");
        if (!WriteWholeFile(rsrc, all)) return Fail("cannot write " + rsrc);
        copy.push_back("--add-section");
        copy.push_back(".rsrc=" + rsrc);
    }
    if (copy.size() > 1) {
        copy.push_back(partial);
        std::string copyOutput;
        RunOptions copyRun;
        copyRun.output = &copyOutput;
        copyRun.extraEnv = run.extraEnv;
        int copyRc = Run(copy, copyRun);
        if (copyRc != 0) {
            std::string text = copyOutput.substr(0, copyOutput.find('\n'));
            return Fail("objcopy failed on " + options.output + (text.empty() ? "" : ": " + text));
        }
    }

    // mkstemp made the file private; the program gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(partial.c_str(), 0777 & ~mask);
    if (::rename(partial.c_str(), options.output.c_str()) != 0) {
        return Fail("cannot write " + options.output + ": " + std::strerror(errno));
    }
    cleanup.path.clear();
    if (options.dll) WriteImportLibrary(options.output);
    return 0;
}

}  // namespace
}  // namespace nimra

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    nimra::LinkOptions options;
    std::string error;
    if (!nimra::ParseLinkOptions(args, options, error)) return nimra::Fail(error);
    return nimra::Link(options);
}
