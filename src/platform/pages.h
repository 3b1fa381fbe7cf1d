// Large runs of zeroed memory straight from the system, for allocators that carve them up.
#pragma once

#include <cstddef>

namespace velt::platform {

// `bytes` of zeroed memory aligned to `bytes` (a power of two), backed by large pages where
// the system offers them so that filling it costs few page faults; null when none is left.
// Never given back.
void* AllocateSlab(std::size_t bytes);

}  // namespace velt::platform
