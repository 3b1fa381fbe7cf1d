// Makefiles written for the compiler system join path parts with '\' and put names with blanks
// in double quotes, as the Windows make and command interpreter understood them. GNU make and
// the POSIX shell need '/' and escaped blanks; this rewrites a makefile line by line so that
// line numbers stay the same:
//   - a '\' becomes '/', except at the end of a line (continuation) and before '"', a blank,
//     '#' or '%' (escapes);
//   - outside recipe lines, a double-quoted name loses its quotes and its blanks are escaped
//     ("a b.obj" becomes a\ b.obj), which GNU make reads as one name and the shell as one word;
//     recipe lines keep their quotes for the shell;
//   - carriage returns before the line ends are dropped.
#pragma once

#include <string>
#include <string_view>

namespace nimra {

std::string TranslateMakefile(std::string_view text);

}  // namespace nimra
