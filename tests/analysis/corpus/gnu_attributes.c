/* die.c -- fatal errors and start-up hooks, with GNU attributes */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

int log_level(void) __attribute__((pure));
static int verbose;

void die(const char *fmt, ...) __attribute__((noreturn, format(printf, 1, 2)));

void die(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stderr, fmt, ap);
    va_end(ap);
    exit(1);
}

int log_level(void)
{
    return verbose;
}

__attribute__((cold)) void report_oom(size_t n)
{
    fprintf(stderr, "out of memory (%zu bytes)\n", n);
}

static void __attribute__((constructor)) init_logging(void)
{
    verbose = getenv("VERBOSE") != NULL;
}

static inline __attribute__((always_inline)) int clamp_level(int v)
{
    return v < 0 ? 0 : v > 3 ? 3 : v;
}

int __attribute__((weak)) plugin_hook(int event)
{
    return event;
}
