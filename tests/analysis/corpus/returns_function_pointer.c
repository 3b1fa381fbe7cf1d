/* sigtab.c -- signal dispositions kept in a table */
#include <signal.h>

typedef void (*sighandler_fn)(int);

static sighandler_fn table[32];

/* Spelled out: a function taking an int and returning a pointer to a handler. */
void (*disposition_for(int sig))(int)
{
    if (sig < 0 || sig >= 32)
        return SIG_DFL;
    return table[sig];
}

/* The same through the typedef. */
sighandler_fn
lookup_handler(int sig)
{
    return disposition_for(sig);
}

static void (*install(int sig, void (*fn)(int)))(int)
{
    sighandler_fn old = table[sig];
    table[sig] = fn;
    return old;
}

int
reset_all(void)
{
    int i;
    for (i = 0; i < 32; i++)
        install(i, SIG_DFL);
    return 0;
}
