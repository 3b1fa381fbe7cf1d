// Checked memory blocks. Each block carries a magic header and a guard word behind the
// caller's area, so over-runs and wrong or double releases are reported where they happen.
// Layout (offsets from the start of the obtained storage; the caller gets offset 8):
//   0: u32 kBlockMagic   4: u32 total size (requested + 12)   8: the zero-filled area
//   8 + size: u32 kBlockGuard (at whatever alignment that offset has)
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt {

inline constexpr std::uint32_t kBlockMagic = 12345678;  // 0x00BC614E
inline constexpr std::uint32_t kBlockGuard = 0x0000FFFF;
inline constexpr std::uint32_t kBlockOverhead = 12;
// Blocks whose total size is below this come from the size-class pool.
inline constexpr std::uint32_t kPoolLimit = 1024;
inline constexpr std::size_t kTextBufferSize = 400;

void* MemAlloc(std::uint32_t size);
// Releases a block from MemAlloc; null is ignored. A pointer that is not a live block (never
// allocated, or already released) shows message 4072 and releases nothing; an overwritten
// guard shows message 4073 with the total size and the block is still released.
void MemFree(void* p);
// MemAlloc(400): one file name or one line of text.
char* AllocTextBuffer();
// A MemAlloc copy of `s`; for null, a 1-byte block holding the empty string.
char* StrDup(const char* s);

// Sum of the total sizes of all live blocks.
std::uint32_t MemoryInUse();

struct PoolStatistics {
    std::uint32_t obtained = 0;  // bytes taken from the system for the pool
    std::uint32_t wasted = 0;    // bytes lost rounding requests up to their class size
};
PoolStatistics GetPoolStatistics();

// The pool's size classes, smallest first.
inline constexpr std::uint32_t kPoolClasses[] = {
    32,   36,   40,   44,   48,   52,   56,   60,   64,   72,   80,   88,   96,   104, 112,
    120,  128,  140,  152,  164,  176,  188,  200,  216,  232,  248,  264,  284,  304, 324,
    348,  372,  396,  424,  452,  484,  516,  552,  588,  628,  668,  712,  760,  808, 860,
    916,  976,  1040, 1108, 1180, 1256, 1336, 1420, 1512, 1608, 1712, 1820, 1936, 2060, 2192,
    2332, 2480, 2636, 2804, 2980, 3168, 3368, 3580, 3804, 4044, 4300};

// Index of the class that serves a pool request of `n` bytes; -1 above the largest class.
int PoolClassFor(std::uint32_t n);

}  // namespace velt
