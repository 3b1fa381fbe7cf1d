/* options.c -- command-line option parsing */
#include <stdlib.h>
#include <string.h>
#include "options.h"

static int
parse_number(const char *text,
             long min,
             long max,
             long *out)
{
    char *end;
    long v = strtol(text, &end, 10);
    if (*end || v < min || v > max)
        return -1;
    *out = v;
    return 0;
}

int
parse_options (int argc, char **argv,
               struct options *opts)
{
    int i;
    memset(opts, 0, sizeof *opts);
    for (i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-n") == 0 && i + 1 < argc) {
            if (parse_number(argv[++i], 1, 1000, &opts->count))
                return -1;
        }
    }
    return 0;
}

const struct option_spec *
find_option(const struct option_spec *specs,
            size_t count,
            const char *name
           )
{
    size_t i;
    for (i = 0; i < count; i++)
        if (!strcmp(specs[i].name, name))
            return &specs[i];
    return NULL;
}

void
usage(
    const char *prog)
{
    fprintf(stderr, "usage: %s [-n count]\n", prog);
}
