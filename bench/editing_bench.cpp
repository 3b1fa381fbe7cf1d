// Editing a 1,000,000-line document in process through the core's key and character
// handlers: 10,000 keystrokes in the middle (each one timed), a paste of a 10 MB block
// through the clipboard, and its undo; then the same edit by vim in Ex mode, as a ratio.
//   editing_bench [LINES]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "editor/block.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/document_io.h"
#include "editor/editing.h"
#include "platform/files.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/settings.h"
#include "shell/ui.h"

extern char** environ;

namespace {

using velt::bench::Clock;
using velt::bench::Seconds;

constexpr unsigned kVkLeft = 0x25;  // the arrow keys' virtual-key codes
constexpr unsigned kVkRight = 0x27;

// A Ui without a screen: every window is accepted, boxes take their default, and the
// clipboard is a string, so the paste runs the same path as in the program.
class BenchUi : public velt::HeadlessUi {
  public:
    std::string clipboard;
    int boxes = 0;

    int MessageBox(const std::string&, const std::string&, unsigned style,
                   velt::BoxOwner) override {
        ++boxes;
        return (style & 0xF) == velt::kMbOk ? velt::kIdOk : velt::kIdNo;
    }
    int AskModifiedFiles(const std::vector<std::string>&) override { return velt::kIdNo; }
    bool GetClipboardText(std::string& text) override {
        text = clipboard;
        return !clipboard.empty();
    }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
};

// The document: C in the shape of real sources, about 40 characters a line.
std::string MakeSource(int lines) {
    static const char* const kBody[] = {
        "/* Computes the checksum of record %d. */",
        "static int checksum_%d(const unsigned char *data, int length)",
        "{",
        "    int sum = 0, i;",
        "    for (i = 0; i < length; i++)",
        "        sum = (sum << 1) ^ data[i];",
        "    return sum;",
        "}",
        "",
    };
    const int n = sizeof kBody / sizeof kBody[0];
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 36);
    char buf[256];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(buf, sizeof buf, kBody[i % n], i / n);
        out += buf;
        out += '\n';
    }
    return out;
}

// The keystrokes: text with Enter ('\n'), Backspace ('\b'), Tab, Left ('<') and Right ('>'),
// repeated to `count` keys.
std::string MakeKeys(int count) {
    static const char kScript[] =
        "\tvalue = value * 31 + (data[i] & 0x7f);<>\n"
        "\tif (value > limit) valux\bue -= limit;\n"
        "\tcount++;<<>>\n";
    std::string keys;
    while (static_cast<int>(keys.size()) < count) keys += kScript;
    keys.resize(static_cast<std::size_t>(count));
    return keys;
}

// About `bytes` of C text with CR LF line ends, as the system clipboard holds it.
std::string MakeClipboard(std::size_t bytes) {
    std::string out;
    out.reserve(bytes + 128);
    char buf[128];
    for (int i = 0; out.size() < bytes; ++i) {
        std::snprintf(buf, sizeof buf, "    table[%d] = checksum_%d(data + %d, length);\r\n", i,
                      i % 977, i * 16);
        out += buf;
    }
    return out;
}

// One keystroke as the editor window delivers it: the key to the key handler, and what it
// leaves to the character handler.
void Press(char key) {
    if (key == '<' || key == '>') {
        velt::EditorKeyDown(key == '<' ? kVkLeft : kVkRight, false, false, false, 1);
        return;
    }
    const auto c = static_cast<unsigned char>(key);
    unsigned vk = 0xBA;  // a punctuation key without a row
    unsigned ch = c;
    if (key == '\n') {
        vk = ch = 13;
    } else if (key == '\b' || key == '\t' || key == ' ' || (c >= '0' && c <= '9')) {
        vk = c;
    } else if (c >= 'a' && c <= 'z') {
        vk = c - 'a' + 'A';
    } else if (c >= 'A' && c <= 'Z') {
        vk = c;
    }
    if (!velt::EditorKeyDown(vk, false, false, false, 1)) velt::EditorChar(ch, false, false, 1);
}

struct KeyTimes {
    double mean = 0, median = 0, p99 = 0, p999 = 0, max = 0;  // microseconds
};

KeyTimes TypeKeys(const std::string& keys) {
    std::vector<double> us;
    us.reserve(keys.size());
    for (char k : keys) {
        const auto t0 = Clock::now();
        Press(k);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    KeyTimes t;
    for (double u : us) t.mean += u;
    t.mean /= static_cast<double>(us.size());
    std::sort(us.begin(), us.end());
    t.median = us[us.size() / 2];
    t.p99 = us[us.size() * 99 / 100];
    t.p999 = us[us.size() * 999 / 1000];
    t.max = us.back();
    return t;
}

// A view on `doc` at the start of line `line`, current, 40 rows high.
velt::EditView* ViewAt(velt::Document* doc, int line) {
    velt::EditView* view = velt::NewView(doc, 1);
    velt::SetCurrentView(view);
    velt::SetViewRows(*view, 40);
    velt::GotoLine(line);
    return view;
}

std::size_t DocumentHash(const velt::Document& doc) {
    std::size_t h = 1469598103934665603ull;
    for (const velt::Line* l : velt::Lines(doc)) {
        for (int i = 0; i < l->length; ++i)
            h = (h ^ static_cast<unsigned char>(l->text()[i])) * 1099511628211ull;
        h = (h ^ '\n') * 1099511628211ull;
    }
    return h;
}

// Escapes the keystrokes for a double-quoted Vim string typed in Insert mode.
std::string VimKeys(const std::string& keys) {
    std::string out;
    for (char k : keys) {
        switch (k) {
            case '\n':
                out += "\\r";
                break;
            case '\b':
                out += "\\<BS>";
                break;
            case '\t':
                out += "\\t";
                break;
            case '<':
                out += "\\<Left>";
                break;
            case '>':
                out += "\\<Right>";
                break;
            case '"':
            case '\\':
                out += '\\';
                out += k;
                break;
            default:
                out += k;
        }
    }
    return out;
}

int Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int status = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int middle = lines / 2;
    constexpr int kKeys = 10000;
    constexpr std::size_t kPasteBytes = 10u << 20;

    const std::string dir =
        velt::platform::TempDirectory() + "/velt-editing-" + std::to_string(getpid());
    velt::platform::CreateDirectory(dir);
    const std::string file = dir + "/big.c";
    const std::string source = MakeSource(lines);
    std::ofstream(file, std::ios::binary) << source;

    BenchUi ui;
    velt::SetUi(&ui);
    velt::GlobalSettings settings;
    velt::InstallEditor(settings);
    // A document is open throughout, as in the frame: the editing commands are not refused.
    velt::FrameCommands().SetStateSource([] {
        velt::FrameState s;
        s.hasCurrentDocument = true;
        return s;
    });
    const std::string keys = MakeKeys(kKeys);
    std::printf("document: %d lines, %.1f MB; keystrokes at line %d: %d\n", lines,
                static_cast<double>(source.size()) / 1e6, middle, kKeys);

    // The same keystrokes in a small document first: the cost must not grow with the size.
    {
        velt::Document* small = velt::NewDocument(dir + "/small.c");
        const std::string text = MakeSource(100);
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos;
             at = end + 1)
            velt::AppendLine(*small, velt::NewLine(text.data() + at, static_cast<int>(end - at)));
        velt::EditView* view = ViewAt(small, 50);
        const KeyTimes t = TypeKeys(keys);
        std::printf(
            "keystroke, 100-line document:   mean %.2f us, median %.2f, p99 %.2f, p99.9 %.2f, "
            "max %.1f\n",
            t.mean, t.median, t.p99, t.p999, t.max);
        velt::ReleaseView(view);
        velt::ReleaseDocument(small);
    }

    velt::Document* doc = velt::NewDocument(file);
    if (velt::LoadDocument(file, *doc) != velt::kLoadOk) {
        std::fprintf(stderr, "editing_bench: cannot load %s\n", file.c_str());
        return 1;
    }
    velt::EditView* view = ViewAt(doc, middle);
    const std::size_t untyped = DocumentHash(*doc);
    const KeyTimes keyTimes = TypeKeys(keys);
    std::printf(
        "keystroke, %d-line document: mean %.2f us, median %.2f, p99 %.2f, p99.9 %.2f, max %.1f "
        "(goal < 50 us)\n",
        lines, keyTimes.mean, keyTimes.median, keyTimes.p99, keyTimes.p999, keyTimes.max);
    std::printf("after the keystrokes: %d lines (%+d), cursor on line %d%s\n",
                velt::CountLines(*doc), velt::CountLines(*doc) - lines,
                velt::CursorLineNumber(*view),
                DocumentHash(*doc) == untyped ? "  NOTHING TYPED" : "");

    // Paste: the clipboard's 10 MB (CR LF) through Ctrl+V, then Undo; best of three rounds,
    // each checked. Reading the clipboard into the block buffer is also timed alone.
    ui.clipboard = MakeClipboard(kPasteBytes);
    const std::size_t pastedLines =
        static_cast<std::size_t>(std::count(ui.clipboard.begin(), ui.clipboard.end(), '\n'));
    const int before = velt::CountLines(*doc);
    const std::size_t hashBefore = DocumentHash(*doc);
    double paste = 1e9, undo = 1e9, read = 1e9;
    bool pasted = true, restored = true;
    for (int round = 0; round < 3; ++round) {
        auto t0 = Clock::now();
        velt::ReadClipboardIntoBlockBuffer();
        read = std::min(read, Seconds(t0));
        t0 = Clock::now();
        velt::EditorKeyDown('V', false, true, false, 1);
        paste = std::min(paste, Seconds(t0));
        pasted = pasted && velt::CountLines(*doc) == before + static_cast<int>(pastedLines);
        t0 = Clock::now();
        velt::DispatchCommand(velt::kCmdUndo);
        undo = std::min(undo, Seconds(t0));
        restored = restored && velt::CountLines(*doc) == before && DocumentHash(*doc) == hashBefore;
    }
    const std::string ring = velt::CheckDocument(*doc);
    std::printf("paste of %.1f MB (%zu lines) by Ctrl+V: %.3f s%s (goal < 0.5 s)\n",
                static_cast<double>(ui.clipboard.size()) / 1e6, pastedLines, paste,
                pasted ? "" : "  WRONG LINE COUNT");
    std::printf("  of which the clipboard into the block buffer: %.3f s, the insertion: %.3f s\n",
                read, paste - read);
    std::printf("undo of the paste: %.3f s%s (goal < 0.5 s)\n", undo,
                restored ? "" : "  DOCUMENT NOT RESTORED");
    std::printf("line ring after the edits: %s\n", ring.empty() ? "sound" : ring.c_str());

    // vim: the same keys at the same line, the same text pasted from a register, undo.
    const std::string pasteFile = dir + "/paste.txt";
    {
        std::string lf;
        lf.reserve(ui.clipboard.size());
        for (char c : ui.clipboard)
            if (c != '\r') lf += c;
        std::ofstream(pasteFile, std::ios::binary) << lf;
    }
    const std::string times = dir + "/vim-times.txt";
    const std::string script = dir + "/edit.vim";
    {
        std::ofstream s(script, std::ios::binary);
        s << "call cursor(" << middle << ", 1)\n"
          << "let s:t0 = reltime()\n"
          << "exe \"normal! i" << VimKeys(keys) << "\"\n"
          << "let s:t1 = reltime()\n"
          // A new undo step: the paste alone is taken back.
          << "let &undolevels = &undolevels\n"
          << "let s:tr = reltime()\n"
          << "call setreg('a', readfile('" << pasteFile << "', 'b'), 'c')\n"
          << "let s:t2 = reltime()\n"
          << "normal! \"aP\n"
          << "let s:t3 = reltime()\n"
          << "let s:pasted = line('$')\n"
          << "undo\n"
          << "let s:t4 = reltime()\n"
          << "call writefile([reltimestr(reltime(s:t0, s:t1)), reltimestr(reltime(s:t2, "
             "s:t3)), reltimestr(reltime(s:t3, s:t4)), s:pasted, line('$'), "
             "reltimestr(reltime(s:tr, s:t2))], '"
          << times << "')\n"
          << "qa!\n";
    }
    // Best of three runs, as for velt.
    double vimKeys = 1e9, vimPaste = 1e9, vimUndo = 1e9, vimFill = 1e9, vimTotal = 1e9;
    long vimPasted = 0, vimAfter = 0;
    bool vimRan = true;
    for (int round = 0; round < 3 && vimRan; ++round) {
        const auto vimStart = Clock::now();
        const int rc = Run({"vim", "-u", "NONE", "-N", "-es", "-S", script, file});
        vimTotal = std::min(vimTotal, Seconds(vimStart));
        std::ifstream in(times);
        double k = 0, p = 0, u = 0, f = 0;
        if (rc != 0 || !(in >> k >> p >> u >> vimPasted >> vimAfter >> f)) {
            std::fprintf(stderr, "editing_bench: vim did not run the script (status %d)\n", rc);
            vimRan = false;
        }
        vimKeys = std::min(vimKeys, k);
        vimPaste = std::min(vimPaste, p);
        vimUndo = std::min(vimUndo, u);
        vimFill = std::min(vimFill, f);
        std::remove(times.c_str());
    }
    if (vimRan) {
        const double vimKeyUs = vimKeys * 1e6 / kKeys;
        std::printf(
            "vim: keystroke mean %.2f us; register filled from the file %.3f s, put %.3f s "
            "(together %.3f s); undo %.3f s (whole run %.2f s; %ld lines after the put, "
            "%ld after undo)\n",
            vimKeyUs, vimFill, vimPaste, vimFill + vimPaste, vimUndo, vimTotal, vimPasted,
            vimAfter);
        std::printf(
            "ratio vim/velt: keystroke %.2fx, paste %.2fx (register fill + put against "
            "clipboard read + insertion), insertion alone %.2fx, undo %.2fx\n",
            vimKeyUs / keyTimes.mean, (vimFill + vimPaste) / paste, vimPaste / (paste - read),
            vimUndo / undo);
    }

    velt::ReleaseAllDocuments();
    velt::UninstallEditor();
    velt::SetUi(nullptr);
    for (const std::string& f : {file, pasteFile, times, script}) std::remove(f.c_str());
    rmdir(dir.c_str());
    return 0;
}
