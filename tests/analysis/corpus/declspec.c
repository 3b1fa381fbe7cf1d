/* mathdll.c -- the exported entry points of a small Windows library */
#include <windows.h>
#include "mathdll.h"

__declspec(dllimport) int host_version(void);
__declspec(thread) static int last_error;

__declspec(dllexport) int __stdcall md_add(int a, int b)
{
    return a + b;
}

__declspec(dllexport)
double __cdecl md_mean(const double *v, int n)
{
    double s = 0;
    int i;
    for (i = 0; i < n; i++)
        s += v[i];
    return n ? s / n : 0.0;
}

__declspec(noreturn) void md_fatal(const char *msg)
{
    MessageBoxA(NULL, msg, "mathdll (fatal)", MB_OK);
    ExitProcess(1);
}

__declspec( dllexport ) __declspec(noinline) int md_last_error(void) { return last_error; }

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID reserved)
{
    (void) inst; (void) reserved;
    if (reason == DLL_PROCESS_ATTACH)
        last_error = 0;
    return TRUE;
}
