/* entry.c -- alternative headers chosen by the preprocessor */
#include <stdio.h>

static int run(int argc, char **argv)
{
    return argc > 1 && argv[1][0] == '-';
}

#ifdef UNICODE
int wmain(int argc, wchar_t **argv)
#else
int main(int argc, char **argv)
#endif
{
    return run(argc, (char **) argv);
}

int
#if defined(_WIN32)
__stdcall
#endif
callback(void *arg)
{
    return arg != NULL;
}

void trace(const char *msg)
#if TRACE_ENABLED
{
    fputs(msg, stderr);
}
#else
{
    (void) msg;
}
#endif

int after_trace(void)
{
    return 0;
}
