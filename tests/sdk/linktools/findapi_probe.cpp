// findapi_probe ROOT SYMBOL: prints "<library>\t<text>" of the symbol in the root's API index;
// exit code 1 when it is unknown, 2 when the index cannot be opened.
#include <cstdio>

#include "apiindex.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (!OpenApiIndex(argv[1])) return 2;
    char lib[256], text[256];
    if (FindApi(argv[2], lib, text) < 0) return 1;
    std::printf("%s\t%s\n", lib, text);
    return 0;
}
