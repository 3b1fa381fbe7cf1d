// Command-line driver over the core: scripting, checks and tests without a window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "editor/regex.h"
#include "platform/files.h"
#include "platform/profile_store.h"
#include "shell/compiler_root.h"
#include "shell/instance.h"
#include "shell/messages.h"
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
                 "  velt-cli regex PATTERN [FILE]   (line:start:length of each line's match)\n";
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
    if (cmd == "prefs" && argc == 3) return velt::RunPrefsCommand(argv[2], std::cout);
    if (cmd == "root" && argc == 4 && std::strcmp(argv[2], "register") == 0) {
        std::string root = velt::platform::MakeAbsolute(argv[3]);
        return velt::RegisterDefaultRoot(root) ? 0 : 1;
    }
    if (cmd == "send" && argc == 4 && std::strcmp(argv[2], "open") == 0) return SendOpen(argv[3]);
    if (cmd == "load" && argc == 3) return LoadCommand(argv[2]);
    if (cmd == "resave" && argc == 4) return ResaveCommand(argv[2], argv[3]);
    if (cmd == "colour" && argc == 4) return ColourCommand(argv[2], argv[3]);
    if (cmd == "regex" && (argc == 3 || argc == 4))
        return RegexCommand(argv[2], argc == 4 ? argv[3] : nullptr);
    return Usage();
}
