#include "platform/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace velt::platform {

void* AllocateSlab(std::size_t bytes) {
    // Map twice the size and keep the aligned half, so the kernel can use huge pages for it.
    std::size_t span = bytes * 2;
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    auto start = reinterpret_cast<std::uintptr_t>(raw);
    std::uintptr_t aligned = (start + bytes - 1) & ~(static_cast<std::uintptr_t>(bytes) - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    std::uintptr_t end = start + span;
    if (end > aligned + bytes) ::munmap(reinterpret_cast<void*>(aligned + bytes), end - aligned - bytes);
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

}  // namespace velt::platform
