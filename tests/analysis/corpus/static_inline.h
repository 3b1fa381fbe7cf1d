/* bitops.h -- small bit helpers, all inline */
#ifndef BITOPS_H
#define BITOPS_H

#include <stdint.h>

static inline int popcount32(uint32_t x) { return __builtin_popcount(x); }

static inline uint32_t
rotl32(uint32_t x, unsigned r)
{
    return (x << (r & 31)) | (x >> ((32 - r) & 31));
}

static __inline__ uint64_t read_tsc(void)
{
    uint32_t lo, hi;
    __asm__ __volatile__("rdtsc" : "=a"(lo), "=d"(hi));
    return ((uint64_t) hi << 32) | lo;
}

static inline int is_power_of_two(unsigned long n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

#define BIT(n) (1UL << (n))

static inline unsigned long
set_bit(unsigned long word, int n) { return word | BIT(n); }

#endif /* BITOPS_H */
