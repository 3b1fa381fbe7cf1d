#include "shell/text_macros.h"

#include "platform/profile_store.h"
#include "shell/messages.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr std::string_view kMissing = "\n";
// A value read is at most this long.
constexpr std::size_t kMaxValue = 511;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string MacroKey(int k, const char* field) {
    return FormatText("Macro%d%s", k, field);
}

std::string LineKey(int k, int line) {
    return FormatText("Macro%dTextLine%d", k, line);
}

}  // namespace

std::vector<std::string> EncodeMacroText(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (unsigned char c : text) {
        line += FormatText("%03d", c);
        if (line.size() > kMacroLineDigits) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string DecodeMacroText(std::size_t length,
                            const std::function<std::optional<std::string>(int)>& line) {
    std::string text;
    for (int index = 0; text.size() < length; ++index) {
        std::optional<std::string> digits = line(index);
        if (!digits) break;
        const std::string& d = *digits;
        for (std::size_t i = 0; text.size() < length && i + 3 <= d.size(); i += 3) {
            if (!IsDigit(d[i]) || !IsDigit(d[i + 1]) || !IsDigit(d[i + 2])) break;
            const int code = (d[i] - '0') * 100 + (d[i + 1] - '0') * 10 + (d[i + 2] - '0');
            if (code > 255) break;
            text += static_cast<char>(static_cast<unsigned char>(code));
        }
    }
    return text;
}

SettingKeyValues MacroKeyValues(const std::vector<TextMacro>& macros) {
    SettingKeyValues kv;
    kv.emplace_back("Macros", "");
    int k = 0;
    for (const TextMacro& m : macros) {
        if (m.text.empty() || m.code == '\0') continue;
        ++k;
        kv.emplace_back(MacroKey(k, "Code"), std::string(1, m.code));
        kv.emplace_back(MacroKey(k, "Position"), std::to_string(m.position));
        kv.emplace_back(MacroKey(k, "Length"), std::to_string(m.text.size()));
        const std::vector<std::string> lines = EncodeMacroText(m.text);
        for (std::size_t i = 0; i < lines.size(); ++i)
            kv.emplace_back(LineKey(k, static_cast<int>(i)), lines[i]);
    }
    kv.front().second = std::to_string(k);
    return kv;
}

std::vector<TextMacro> ReadMacros(const std::string& file, std::string_view section) {
    std::vector<TextMacro> macros;
    const long count = pf::ProfileGetNumber(file, section, "Macros", 0);
    for (long k = 1; k <= count; ++k) {
        const int n = static_cast<int>(k);
        const long length = pf::ProfileGetNumber(file, section, MacroKey(n, "Length"), 0);
        if (length <= 0) break;
        TextMacro m;
        const std::string code = pf::ProfileGetString(file, section, MacroKey(n, "Code"), "");
        m.code = code.empty() ? '\0' : code[0];
        m.position = pf::ProfileGetNumber(file, section, MacroKey(n, "Position"), 0);
        // Lines are fetched only while characters are still wanted, so a huge stored length
        // costs no more than the lines that exist.
        m.text = DecodeMacroText(
            static_cast<std::size_t>(length), [&](int line) -> std::optional<std::string> {
                // No stored value can hold a line break, so it
                // marks a missing line.
                std::string v = pf::ProfileGetString(file, section, LineKey(n, line), kMissing);
                if (v == kMissing) return std::nullopt;
                if (v.size() > kMaxValue) v.resize(kMaxValue);
                return v;
            });
        // A macro without a letter cannot be called, and one without text inserts nothing.
        if (m.code == '\0' || m.text.empty()) continue;
        macros.push_back(std::move(m));
    }
    return macros;
}

bool WriteMacros(const std::string& file, std::string_view section,
                 const std::vector<TextMacro>& macros) {
    for (const auto& [key, value] : MacroKeyValues(macros))
        if (!pf::ProfileWriteString(file, section, key, std::string_view(value))) return false;
    return true;
}

}  // namespace velt
