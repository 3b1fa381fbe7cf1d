// Command-line driver over the core: scripting, checks and tests without a window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "analysis/function_list.h"
#include "analysis/grep.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "editor/regex.h"
#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/makefile_cli.h"
#include "build/build_cli.h"
#include "project/project_dump.h"
#include "project/utilities.h"
#include "shell/compiler_root.h"
#include "shell/instance.h"
#include "shell/messages.h"
#include "shell/output_pane.h"
#include "shell/settings_dump.h"
#include "shell/ui.h"

namespace {

// Boxes go to standard error and take their default answer, since nobody is there to ask.
class ConsoleUi : public velt::HeadlessUi {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                   velt::BoxOwner owner) override {
        std::cerr << (caption.empty() ? "velt" : caption) << ": " << text << "\n";
        return HeadlessUi::MessageBox(text, caption, style, owner);
    }
};

int Usage() {
    std::cerr << "usage:\n"
                 "  velt-cli msg ID\n"
                 "  velt-cli ini get FILE SECTION KEY DEFAULT\n"
                 "  velt-cli ini set FILE SECTION KEY [VALUE]   (no VALUE removes the key)\n"
                 "  velt-cli prefs ROOT\n"
                 "  velt-cli root register ROOT   (only when no compiler root is recorded)\n"
                 "  velt-cli send open FILE   (opens FILE in the running Velt)\n"
                 "  velt-cli load FILE   (loads FILE as the editor does and reports)\n"
                 "  velt-cli resave IN OUT   (loads IN and writes it to OUT as the editor saves)\n"
                 "  velt-cli colour FILE LINE   (the runs of that line as colour|text)\n"
                 "  velt-cli regex PATTERN [FILE]   (line:start:length of each line's match)\n"
                 "  velt-cli grep [-i] [-w] [-r] [-e] [-m] EXPR DIR MASKS...   (find in files:\n"
                 "      ignore case, whole words, sub-directories, regular expression, several\n"
                 "      words; the search page's lines, then \"N hits\")\n"
                 "  velt-cli build ROOT NAME   (Make of the project, questions answered No; the\n"
                 "      build page's lines; exit 0 when make returned 0)\n"
                 "  velt-cli project ROOT NAME [--resave]   (the project as loaded, Key=value;\n"
                 "      --resave also saves it and its file list back)\n"
                 "  velt-cli makefile ROOT NAME   (writes the project's makefile, every question\n"
                 "      answered No; prints the makefile's name)\n"
                 "  velt-cli functions FILE   (name start end of each function, in list order;\n"
                 "      the language by the extension, as opening chooses it; nothing when it\n"
                 "      has no function scanner)\n"
                 "  velt-cli check FILE   (\"ok\" or the syntax check's first problem, exit 1;\n"
                 "      exit 2 when the language has no check, as only C and eiffel have)\n";
    return 2;
}

int SendOpen(const char* file) {
    switch (velt::SendOpenRequest(file)) {
        case velt::OpenRequestResult::Opened:
            return 0;
        case velt::OpenRequestResult::NotOpened:
            std::cerr << "velt-cli: the running Velt could not open " << file << "\n";
            return 1;
        case velt::OpenRequestResult::NoInstance:
            std::cerr << "velt-cli: no running Velt to open " << file << "\n";
            return 1;
        case velt::OpenRequestResult::NoAnswer:
            std::cerr << "velt-cli: the running Velt did not answer\n";
            return 1;
        case velt::OpenRequestResult::NameTooLong:
            std::cerr << "velt-cli: the name of " << file << " is too long to send\n";
            return 1;
        case velt::OpenRequestResult::NoSharedBlock:
            std::cerr << "velt-cli: the shared block of the running Velt is not available\n";
            return 1;
    }
    return 1;
}

bool ParseId(const char* s, unsigned& id) {
    char* end = nullptr;
    unsigned long v = std::strtoul(s, &end, 10);
    if (!*s || *end || v > 65535) return false;
    id = static_cast<unsigned>(v);
    return true;
}

int Ini(int argc, char** argv) {
    if (argc >= 7 && std::strcmp(argv[2], "get") == 0 && argc == 7) {
        std::cout << velt::platform::ProfileGetString(argv[3], argv[4], argv[5], argv[6]) << "\n";
        return 0;
    }
    if (std::strcmp(argv[2], "set") == 0 && (argc == 6 || argc == 7)) {
        std::string value = argc == 7 ? argv[6] : "";
        bool ok = velt::platform::ProfileWriteString(argv[3], argv[4], argv[5],
                                                     argc == 7 ? &value : nullptr);
        if (!ok) {
            std::cerr << "velt-cli: cannot write " << argv[3] << "\n";
            return 1;
        }
        return 0;
    }
    return Usage();
}

// Loads `file` into the document named `docName`; false (after saying why) when it could
// not be loaded completely.
bool LoadForCli(const std::string& file, const std::string& docName, velt::Document*& doc,
                velt::ReadResult& result) {
    doc = velt::FindDocument(docName, true);
    int status = velt::LoadDocument(file, *doc, &result);
    if (status == velt::kLoadCannotOpen) {
        std::cerr << "velt-cli: cannot open " << file << "\n";
        return false;
    }
    velt::FinishLoad(*doc, docName, status);
    return status == velt::kLoadOk;
}

int LoadCommand(const char* file) {
    std::string name = velt::platform::MakeAbsolute(file);
    velt::Document* doc = nullptr;
    velt::ReadResult r;
    if (!LoadForCli(name, name, doc, r)) return 1;
    std::printf("lines %d broken %d flags 0x%04X\n", static_cast<int>(doc->lineCount), r.broken,
                static_cast<unsigned>(doc->flags));
    return 0;
}

// A tool's path: no backup and no questions, only the document writer.
int ResaveCommand(const char* in, const char* out) {
    std::string outName = velt::platform::MakeAbsolute(out);
    velt::Document* doc = nullptr;
    velt::ReadResult r;
    if (!LoadForCli(velt::platform::MakeAbsolute(in), outName, doc, r)) return 1;
    // The process ends right after: its lines are left to the exit rather than freed one by
    // one.
    return velt::WriteDocument(outName) ? 0 : 1;
}

// The runs of one line as the editor colours them: "colour|text", one run a line, the
// colour by its setting name, tabs expanded.
int ColourCommand(const char* file, const char* lineNumber) {
    char* end = nullptr;
    const long n = std::strtol(lineNumber, &end, 10);
    if (!*lineNumber || *end || n < 1 || n > 0x7FFFFFFF) return Usage();
    velt::ResetLanguages();
    velt::InstallLanguageHooks();
    std::string name = velt::platform::MakeAbsolute(file);
    velt::Document* doc = nullptr;
    velt::ReadResult r;
    if (!LoadForCli(name, name, doc, r)) return 1;
    const velt::Line* line = velt::LineAt(*doc, static_cast<int>(n));
    if (!line) {
        std::cerr << "velt-cli: " << file << " has no line " << n << "\n";
        return 1;
    }
    velt::PaintOptions options;
    options.columns = velt::kRowTextMax;
    for (const velt::PaintRun& run : velt::PaintRow(*doc, line, std::nullopt, options).runs)
        std::cout << velt::PaintColourName(run.colour) << '|' << run.text << '\n';
    return 0;
}

// Loads FILE as opening does (its language chosen by the extension); null, after saying why,
// when it cannot be read.
velt::Document* OpenForAnalysis(const char* file) {
    velt::ResetLanguages();
    velt::InstallLanguageHooks();
    const std::string name = velt::platform::MakeAbsolute(file);
    velt::Document* doc = velt::FindDocument(name, true);
    if (velt::LoadDocument(name, *doc) != velt::kLoadOk) {
        std::cerr << "velt-cli: cannot open " << file << "\n";
        return nullptr;
    }
    velt::FinishLoad(*doc, name, velt::kLoadOk);
    return doc;
}

// "name start end" of each function of FILE in list order.
int FunctionsCommand(const char* file) {
    velt::Document* doc = OpenForAnalysis(file);
    if (!doc) return 2;
    velt::EnsureFunctionList(doc);
    for (const velt::FunctionEntry* e = velt::FunctionListOf(*doc); e; e = e->next)
        std::printf("%s %d %d\n", e->name.c_str(), static_cast<int>(e->startLine),
                    static_cast<int>(e->endLine));
    return 0;
}

// The check before saving: "ok" (exit 0) or its first problem (exit 1); exit 2 for a
// language without a check.
int CheckCommand(const char* file) {
    velt::Document* doc = OpenForAnalysis(file);
    if (!doc) return 2;
    if (!doc->language || !doc->language->ops.checkSyntax) {
        std::cerr << "velt-cli: no syntax check for the language of " << file << "\n";
        return 2;
    }
    std::string message;
    if (doc->language->ops.checkSyntax(*doc, message)) {
        std::cout << message << "\n";
        return 1;
    }
    std::cout << "ok\n";
    return 0;
}

// The first match of each line of FILE (standard input without one) as
// "line:start:length", the line from 1, the start from 0; the compilation error's text
// instead when the pattern is refused.
int RegexCommand(const char* pattern, const char* file) {
    velt::CompiledRegex rx;
    if (const unsigned e = rx.Compile(pattern)) {
        std::cout << velt::RegexErrorText(e) << "\n";
        return 1;
    }
    std::FILE* in = file ? std::fopen(file, "rb") : stdin;
    if (!in) {
        std::cerr << "velt-cli: cannot open " << file << "\n";
        return 1;
    }
    std::string line;
    bool limitShown = false;
    long number = 0;
    auto one = [&] {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int start = 0;
        int length = 0;
        if (rx.Find(line.data(), static_cast<int>(line.size()), 0, start, length))
            std::printf("%ld:%d:%d\n", number, start, length);
        if ((rx.HitLimit() || rx.Damaged()) && !limitShown) {
            limitShown = true;
            std::cerr << "velt-cli: " << velt::RegexErrorText(velt::kRegexBad) << "\n";
        }
        line.clear();
    };
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
        for (std::size_t i = 0; i < n; ++i) {
            if (buf[i] == '\n')
                one();
            else
                line.push_back(buf[i]);
        }
    if (!line.empty()) one();
    if (file) std::fclose(in);
    return 0;
}

// Find in files as the dialog runs it, the options ticking its boxes: the "search" page as it
// stands afterwards (names relative to the current directory as the pane shows them), then
// the count. Exit 1 without hits, 2 when the dialog's checks or the expression refuse.
int GrepCommand(int argc, char** argv) {
    velt::GrepDialogRecord r;
    r.Load();
    int i = 2;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (option == "-i")
            r.ignoreCase = true;
        else if (option == "-w")
            r.wholeWords = true;
        else if (option == "-r")
            r.subdirectories = true;
        else if (option == "-e")
            r.regex = true;
        else if (option == "-m")
            r.severalWords = true;
        else
            return Usage();
    }
    if (argc - i < 3) return Usage();
    r.expression = argv[i];
    r.directory = argv[i + 1];
    r.masks.clear();
    for (int k = i + 2; k < argc; ++k) {
        if (!r.masks.empty()) r.masks += ' ';
        r.masks += argv[k];
    }
    if (!r.Validate()) return 2;
    r.Apply();
    if (!velt::StartGrep()) return 2;
    velt::WaitGrep();
    const int hits = velt::Grep().request.hits;
    if (hits == 0) return 1;
    for (const std::string& line : velt::FrameOutputPane().Lines(velt::kSearchPage))
        std::cout << line << "\n";
    std::cout << hits << " hits\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleUi ui;
    velt::SetUi(&ui);
    if (argc < 2) return Usage();
    std::string cmd = argv[1];
    if (cmd == "msg" && argc == 3) {
        unsigned id;
        if (!ParseId(argv[2], id)) return Usage();
        std::cout << velt::GetMessageText(id) << "\n";
        return 0;
    }
    if (cmd == "ini" && argc >= 3) return Ini(argc, argv);
    if (cmd == "prefs" && argc == 3) {
        // The utilities keep their keys in the same section; the dump shows them in place.
        velt::RegisterUtilitySettings();
        return velt::RunPrefsCommand(argv[2], std::cout);
    }
    if (cmd == "root" && argc == 4 && std::strcmp(argv[2], "register") == 0) {
        std::string root = velt::platform::MakeAbsolute(argv[3]);
        return velt::RegisterDefaultRoot(root) ? 0 : 1;
    }
    if (cmd == "send" && argc == 4 && std::strcmp(argv[2], "open") == 0) return SendOpen(argv[3]);
    if (cmd == "load" && argc == 3) return LoadCommand(argv[2]);
    if (cmd == "resave" && argc == 4) return ResaveCommand(argv[2], argv[3]);
    if (cmd == "colour" && argc == 4) return ColourCommand(argv[2], argv[3]);
    if (cmd == "build" && argc == 4) return velt::RunBuildCommand(argv[2], argv[3], std::cout);
    if (cmd == "project" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "--resave") == 0)))
        return velt::RunProjectCommand(argv[2], argv[3], argc == 5, std::cout);
    if (cmd == "makefile" && argc == 4)
        return velt::RunMakefileCommand(argv[2], argv[3], std::cout);
    if (cmd == "grep") return GrepCommand(argc, argv);
    if (cmd == "regex" && (argc == 3 || argc == 4))
        return RegexCommand(argv[2], argc == 4 ? argv[3] : nullptr);
    if (cmd == "functions" && argc == 3) return FunctionsCommand(argv[2]);
    if (cmd == "check" && argc == 3) return CheckCommand(argv[2]);
    return Usage();
}
