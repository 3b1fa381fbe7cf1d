// The quick lexical check run before a C or eiffel document is saved: balanced parentheses,
// brackets, braces and conditional directives, finished strings and character constants.
// It reports the first problem only and never changes the document.
#pragma once

#include <string>

namespace velt {

struct Document;

// Open levels whose line is remembered; deeper levels are counted only.
inline constexpr int kCheckKeptParens = 15;
inline constexpr int kCheckKeptBraces = 15;
inline constexpr int kCheckKeptConditionals = 55;

// True when the document passes; otherwise false and `message` holds the first problem,
// formatted with the document's name and the 1-based line.
bool CheckC(const Document& doc, std::string& message);
bool CheckEiffel(const Document& doc, std::string& message);

// Puts the checks into the "C Language" and "eiffel" records of the language registry, where
// saving looks for them. Again after every reset of the registry.
void InstallSyntaxCheckers();

}  // namespace velt
