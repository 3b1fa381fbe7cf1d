// The API index of the compiler system: which library of the root's lib directory defines a
// function. The IDE looks up the symbols of "undefined reference" errors in it.
//
// The index is the text file <root>/bin/apiindex.idx:
//   line 1:  "nimra api index 1"
//   then:    <symbol> TAB <library file name> TAB <description of the library>
// one symbol a line, sorted by symbol in byte order, no duplicates. Library names and
// descriptions are shorter than 256 characters.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Loads <rootDir>/bin/apiindex.idx, replacing an index loaded before. Returns 1 when loaded,
// 0 when the file is missing or is not an index (then every look-up fails).
int OpenApiIndex(const char* rootDir);

// Loads an index from the named file; the same results as OpenApiIndex.
int OpenApiIndexFile(const char* path);

void CloseApiIndex(void);

// Looks the symbol up. Found: the library's file name (for example "libm.lib") and its
// description go to the two buffers, zero-terminated and cut to fit, and the result is the
// symbol's position in the index (>= 0). Unknown symbol or no index: a negative number, and
// the buffers are left alone.
int FindApi(const char* symbol, char libName[256], char text[256]);

#ifdef __cplusplus
}
#endif
