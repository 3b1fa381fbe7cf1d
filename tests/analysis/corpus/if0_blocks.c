/* cache.c -- a lookup cache; the old implementation is kept under #if 0 */
#include "cache.h"

#if 0
/* The first version: a linear list. */
static struct entry *find_linear(struct cache *c, unsigned key)
{
    struct entry *e;
    for (e = c->list; e; e = e->next)
        if (e->key == key)
            return e;
    return 0;
}
#endif

static unsigned hash(unsigned key)
{
    key ^= key >> 16;
    key *= 0x45d9f3b;
    return key ^ (key >> 16);
}

#if 0
  This block is prose, not code: it says that lookup(key) should
  never be called with { a null cache }.
#endif

struct entry *cache_lookup(struct cache *c, unsigned key)
{
    struct entry *e = c->slots[hash(key) & c->mask];
    while (e && e->key != key)
        e = e->next;
    return e;
}

#ifdef CACHE_STATS
void cache_stats(const struct cache *c, unsigned long *hits)
{
#else
void cache_stats(const struct cache *c)
{
    unsigned long *hits = 0;
#endif
    if (hits)
        *hits = c->hits;
}

int cache_size(const struct cache *c)
{
    return c->count;
}
