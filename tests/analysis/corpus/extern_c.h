/* codec.h -- the C interface of the codec library, usable from C++ */
#ifndef CODEC_H
#define CODEC_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct codec codec_t;

codec_t *codec_open(const char *name);
int codec_encode(codec_t *c, const void *in, size_t n, void *out, size_t *outn);
void codec_close(codec_t *c);

static inline int codec_is_open(const codec_t *c)
{
    return c != NULL;
}

#ifdef __cplusplus
}
#endif

static inline size_t codec_bound(size_t n)
{
    return n + n / 8 + 64;
}

#endif
