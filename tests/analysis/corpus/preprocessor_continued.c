/* util.c -- helpers behind a wall of macros */
#include <stdio.h>
#include <string.h>

#define MAX(a, b) ((a) > (b) ? (a) : (b))
#define SWAP(type, x, y) do {      \
        type tmp_ = (x);           \
        (x) = (y);                 \
        (y) = tmp_;                \
    } while (0)
#define CHECK(cond, msg)                                        \
    if (!(cond)) {                                              \
        fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, \
                msg, #cond);                                    \
        return -1;                                              \
    }
#define EMPTY() /* nothing ( { */
#  define INDENTED_FN(x) int x(void) { return 0; }
#pragma pack(push, 1)
struct hdr { char tag; int len; };
#pragma pack(pop)

int clamp(int v, int lo, int hi)
{
    return MAX(lo, v) > hi ? hi : MAX(lo, v);
}

#if defined(HAVE_STRLCPY) /* ( */ && \
    (HAVE_STRLCPY > 1)
#else
size_t strlcpy(char *dst, const char *src, size_t size)
{
    size_t n = strlen(src);
    if (size) {
        size_t c = n >= size ? size - 1 : n;
        memcpy(dst, src, c);
        dst[c] = '\0';
    }
    return n;
}
#endif /* !defined(HAVE_STRLCPY) { */

int sort2(int *a, int *b)
{
    CHECK(a && b, "null pointer")
    if (*a > *b)
        SWAP(int, *a, *b);
    return 0;
}
