// The keyword function scanners of the Fortran and Pascal languages. Each builds the
// document's function list (entries in source order, the list marked valid) and answers
// whether it holds an entry. Keywords count only as whole words, compared without regard to
// letter case; names keep the spelling of the text.
#pragma once

namespace velt {

struct Document;

// Fortran: only lines beginning with a blank or a tab are read (column-1 comment lines and
// labels are not). Outside a unit, the word PROGRAM, or else SUBROUTINE, opens an entry named
// by the next word (up to a blank, a tab or "("), its column the name's. Inside a unit, the
// word END followed by a blank, a tab or the end of the line closes it. Quoted text ('...')
// and what follows "!" hold no words. A unit still open at the end ends at the last line.
bool ScanFunctionsFortran(Document& doc);

// Pascal: comments ({ } and (* *)) and literals ('...') are skipped. The word
// "implementation" or "program" switches recording on; then "procedure" and "function" open
// an entry named by the following identifier, which may hold dots (TForm1.Button1Click),
// unless the keyword's line holds the word "external" or "forward" (no body follows).
// "begin" opens a block level, "end" closes one (an "end" without an open level, as of a
// record, is passed over); closing level n ends the routine opened last while n levels were
// open, which remembers n in `nesting`, so a local routine ends before the one holding it.
// Routines are kept for the first 50 levels. At the end of the text a routine whose body is
// still open ends at the last line; one that never opened a body keeps no end.
bool ScanFunctionsPascal(Document& doc);

}  // namespace velt
