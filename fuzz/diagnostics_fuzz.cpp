// The build's readers of what the tools wrote, over any bytes: the diagnostics file's reader,
// each line through the three diagnostics formats, the wrapping of the build page and the
// tool messages' buffer. Nothing crashes, a second reading answers the same, and every file,
// line number and text handed back comes out of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "build/build.h"
#include "build/diagnostics.h"
#include "shell/strutil.h"

namespace {

using velt::DiagnosticEntry;

constexpr char kCurrentDir[] = "/cur";

void Check(bool ok) {
    if (!ok) std::abort();
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool Same(const std::optional<DiagnosticEntry>& a, const std::optional<DiagnosticEntry>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->line == b->line && a->file == b->file && a->text == b->text);
}

// The name the nimra format read, before it was made absolute against kCurrentDir.
std::string NameAsRead(std::string file) {
    const bool quoted = file.size() >= 2 && file.front() == '"' && file.back() == '"';
    if (quoted) file = file.substr(1, file.size() - 2);
    const std::string prefix = std::string(kCurrentDir) + "/";
    if (file.compare(0, prefix.size(), prefix) == 0) file = file.substr(prefix.size());
    return file;
}

void CheckLine(std::string_view line) {
    auto nimra = velt::ParseNimraDiagnostic(line, kCurrentDir);
    Check(Same(nimra, velt::ParseNimraDiagnostic(line, kCurrentDir)));
    if (nimra) {
        Check(nimra->line >= 1 && nimra->line <= 999999);
        const std::string n = std::to_string(nimra->line);
        Check(Contains(line, n));
        Check(Contains(line, NameAsRead(nimra->file)));
        const std::string head = "[" + n + "]:";
        Check(nimra->text.compare(0, head.size(), head) == 0);
        const std::string_view rest = std::string_view(nimra->text).substr(head.size());
        Check(line.size() >= rest.size() && line.substr(line.size() - rest.size()) == rest);
    }

    auto paren = velt::ParseParenthesisDiagnostic(line);
    Check(Same(paren, velt::ParseParenthesisDiagnostic(line)));
    if (paren) {
        Check(paren->line >= 1);
        Check(Contains(line, std::to_string(paren->line) + ")"));
        Check(!paren->file.empty() && paren->file.size() < line.size());
        Check(paren->file == velt::AsciiUpper(line.substr(0, paren->file.size())));
        // "word rest": the word and the rest both taken from the line.
        const std::size_t blank = paren->text.find(' ');
        Check(blank != std::string::npos);
        Check(Contains(line, std::string_view(paren->text).substr(0, blank)));
        const std::string_view rest = std::string_view(paren->text).substr(blank + 1);
        Check(line.substr(line.size() - rest.size()) == rest);
    }

    auto named = velt::ParseLineDiagnostic(line, kCurrentDir);
    Check(Same(named, velt::ParseLineDiagnostic(line, kCurrentDir)));
    if (named) {
        Check(named->line >= 1);
        Check(named->text == line);
        Check(Contains(line, std::to_string(named->line)));
        std::string file = named->file;
        const std::string dir = velt::AsciiUpper(std::string(kCurrentDir) + "/");
        if (file.compare(0, dir.size(), dir) == 0) file = file.substr(dir.size());
        Check(Contains(velt::AsciiUpper(line), file));
    }
}

// Wrapped with `fits`, the parts put together give the line back, each continuation begins
// with " + ", and any part leads back to the whole message.
void CheckWrap(const std::string& line, const velt::OutputLineFits& fits) {
    const std::vector<std::string> parts = velt::WrapOutputLine(line, fits);
    Check(!parts.empty());
    Check(parts == velt::WrapOutputLine(line, fits));
    std::string joined = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
        Check(parts[i].compare(0, 3, velt::kContinuation) == 0);
        // Every part is shorter than what it was cut from, so wrapping ends.
        Check(parts[i].size() < line.size() + 3);
        joined += parts[i].substr(3);
    }
    Check(joined == line);
    for (std::size_t i = 0; i < parts.size(); ++i) Check(velt::WrappedMessageAt(parts, i) == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte: the width of the list in characters, and whether measuring is erratic.
    const std::size_t width = 10 + data[0] % 160;
    const bool erratic = data[0] & 0x80;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The diagnostics file's reader.
    const velt::DiagnosticsReading r = velt::ReadDiagnostics(bytes);
    const velt::DiagnosticsReading again = velt::ReadDiagnostics(bytes);
    Check(r.lines == again.lines && r.symbols == again.symbols && r.heldBack == again.heldBack &&
          r.tooBig == again.tooBig);
    std::size_t total = 0;
    for (const std::vector<std::string>* list : {&r.lines, &r.heldBack}) {
        for (const std::string& l : *list) {
            Check(l.size() <= 1400);
            Check(l.find('\n') == std::string::npos);
            Check(Contains(bytes, l));
            total += l.size();
        }
    }
    Check(total <= 65535);
    for (const std::string& s : r.symbols) Check(Contains(bytes, s));
    Check(r.tooBig == (bytes.size() > 65535 || [&] {
              std::size_t run = 0;
              for (char c : bytes) {
                  run = c == '\n' ? 0 : run + 1;
                  if (run > 1400) return true;
              }
              return false;
          }()));
    if (!r.tooBig && !Contains(bytes, "undefined reference to")) {
        // Exactly the lines of the input, a CR before each LF dropped.
        std::vector<std::string> expected;
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            const bool ended = end != std::string::npos;
            if (!ended) end = bytes.size();
            std::string l = bytes.substr(start, end - start);
            if (!l.empty() && l.back() == '\r') l.pop_back();
            expected.push_back(l);
            start = end + 1;
        }
        Check(r.lines == expected);
    }

    // Each line through the formats and the wrapping.
    const velt::OutputLineFits fits = [width](std::string_view t) { return t.size() <= width; };
    const velt::OutputLineFits odd = [width](std::string_view t) {
        return ((t.size() * 2654435761u) >> 7) % 3 != 0 || t.size() <= width;
    };
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        CheckLine(line);
        CheckWrap(line, erratic ? odd : fits);
        start = end + 1;
    }

    // The tool messages, the input cut into messages at NUL bytes: a line may gather several.
    std::string joined;
    for (char c : bytes)
        if (c != '\0') joined += c;
    velt::ToolMessageBuffer tools;
    velt::ToolMessageBuffer tools2;
    start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string message = bytes.substr(start, end - start);
        bool overflow = false, overflow2 = false;
        const std::vector<std::string> out = tools.Add(message, overflow);
        Check(out == tools2.Add(message, overflow2) && overflow == overflow2);
        for (const std::string& piece : out) {
            Check(piece.size() <= 150);
            Check(piece.find('\n') == std::string::npos);
            Check(Contains(joined, piece));
        }
        Check(tools.pending().size() < velt::ToolMessageBuffer::kCapacity);
        start = end + 1;
    }
    return 0;
}
