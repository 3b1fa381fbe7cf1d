/*
 * netbuf.h -- network buffer interface.
 *
 * Every routine returns 0 on success or a negative error code (see errors.h).
 */
#ifndef NETBUF_H
#define NETBUF_H

#include <stddef.h>
#include <stdint.h>

#define NB_MAX_FRAGS    16
#define NB_HEADROOM(nb) ((nb)->data - (nb)->head)
#define NB_TAILROOM(nb) ((nb)->end - (nb)->tail)

struct netbuf;
typedef struct netbuf netbuf_t;
typedef void (*nb_free_fn)(void *ctx, void *mem);

extern int nb_debug_level;
extern const char *const nb_error_names[];

netbuf_t *nb_alloc(size_t size, int flags);
netbuf_t *nb_clone(const netbuf_t *nb);
void nb_free(netbuf_t *nb);
int nb_reserve(netbuf_t *nb, size_t headroom);
unsigned char *nb_put(netbuf_t *nb, size_t len);
unsigned char *nb_push(netbuf_t *nb,
                       size_t len);
int nb_copy_bits(const netbuf_t *nb, int offset,
                 void *to, int len);
int nb_set_destructor(netbuf_t *nb, nb_free_fn fn, void *ctx);
uint16_t nb_checksum(const netbuf_t *nb, int offset, int len, uint16_t seed);
int nb_printf(netbuf_t *nb, const char *fmt, ...)
    __attribute__((format(printf, 2, 3)));
void nb_dump(const netbuf_t *nb, void (*print)(const char *line));

#endif /* NETBUF_H */
