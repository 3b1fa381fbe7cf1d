// Text macros: a text inserted with Ctrl and a letter, and how the list is kept among the
// global settings (Macros, Macro%dCode, Macro%dPosition, Macro%dLength, Macro%dTextLine%d).
//
// Each character is stored as its byte value in three decimal digits ("%03d" of the unsigned
// byte), so the codes 128 ... 255 of 8-bit texts fit the same three digits as 0 ... 127 and
// any byte string comes back unchanged. A line is closed as soon as it holds more than 60
// digits: full lines hold 21 characters.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velt {

struct TextMacro {
    char code = 0;      // 'a' ... 'z' or 'A' ... 'Z'
    std::string text;   // the text inserted
    long position = 0;  // caret offset in the page's text box when the macro was added
};

// Settings keys and their values, in the order they are written.
using SettingKeyValues = std::vector<std::pair<std::string, std::string>>;

inline constexpr std::size_t kMacroLineDigits = 60;  // a line is closed beyond this

// The text lines of one macro.
std::vector<std::string> EncodeMacroText(std::string_view text);

// Takes up to `length` characters, three digits at a time, from lines 0, 1, ... as `line`
// delivers them (nothing: no such line, the reading ends). A line that ends early, or with
// something that is not a character code, is left for the next one, so a damaged line costs
// at most its own characters.
std::string DecodeMacroText(std::size_t length,
                            const std::function<std::optional<std::string>(int)>& line);

// The keys of a macro list as they are stored. Macros without a letter or text are left out:
// a stored length of 0 ends the reading and would hide every macro after it.
SettingKeyValues MacroKeyValues(const std::vector<TextMacro>& macros);

// Reads the list from a settings file section; a macro with length 0 ends it.
std::vector<TextMacro> ReadMacros(const std::string& file, std::string_view section);

// Writes the list; stops at, and returns false for, the first key that cannot be written.
bool WriteMacros(const std::string& file, std::string_view section,
                 const std::vector<TextMacro>& macros);

}  // namespace velt
