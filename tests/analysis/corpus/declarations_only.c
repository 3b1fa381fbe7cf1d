/* globals.c -- definitions of globals only; nothing here has a body */
#include "globals.h"

int verbose = 0;
int (*log_fn)(const char *, ...) = printf;
double scale = compute_scale(2.0, 3.0);
static char *(*lookup)(const char *key);
const char *progname = basename(argv0());
size_t page_size = sizeof(long) * 512;
extern int errno_saved;
int counters[COUNT(4)];
struct config cfg = CONFIG_INIT(cfg);
int a = f(1), b = g(2);
void (*volatile reset_vector)(void) = (void (*)(void)) 0;
