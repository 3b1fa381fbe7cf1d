// The words of a resource script, read from the preprocessor's output: its line markers give
// each word the file and line it came from, and the lines of included C headers (.h, .c) are
// skipped, since a script takes only their #defines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nimrarc {

enum class TokenKind { Identifier, Number, String, Punct };

struct Token {
    TokenKind kind = TokenKind::Punct;
    std::string text;          // as written (for a string: the bytes between the quotes)
    std::string value;         // a string's bytes after its escapes
    bool wide = false;         // L"..."
    std::uint32_t number = 0;  // a number's value
    bool isLong = false;       // a number with the suffix L
    bool spaceBefore = true;   // blank or line start before it
    int file = 0;              // index into the file names
    int line = 0;
};

struct TokenizedScript {
    std::vector<std::string> files;
    std::vector<Token> tokens;
    // The first error: a string without its closing quote. Empty when none.
    std::string error;
    int errorFile = 0;
    int errorLine = 0;
};

TokenizedScript Tokenize(const std::string& preprocessed);

}  // namespace nimrarc
