#include "shell/memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {
namespace {

constexpr int kClassCount = sizeof(kPoolClasses) / sizeof(kPoolClasses[0]);
constexpr std::uint32_t kRefillBytes = 4096;

struct FreeBlock {
    FreeBlock* next;
};

struct Allocator {
    std::mutex lock;
    std::uint32_t inUse = 0;
    PoolStatistics stats;
    FreeBlock* freeLists[kClassCount] = {};
    // Live blocks by the caller's pointer, with their total size. Checking membership before
    // touching the header keeps a foreign pointer from being read or written at all, and
    // the recorded size means a clobbered header cannot send the guard check out of bounds.
    std::unordered_map<void*, std::uint32_t> live;
};

Allocator& A() {
    static Allocator* a = new Allocator;  // never destroyed: blocks may outlive statics
    return *a;
}

// Blocks are carved at a stride rounded up to 8 so that every caller's area (at offset 8)
// stays 8-byte aligned; the class size itself is what the statistics count.
std::uint32_t Stride(std::uint32_t classSize) { return (classSize + 7) & ~7u; }

void* PoolTake(Allocator& a, std::uint32_t n) {
    int c = PoolClassFor(n);
    std::uint32_t s = kPoolClasses[c];
    if (!a.freeLists[c]) {
        std::uint32_t stride = Stride(s);
        std::uint32_t count = s >= kPoolLimit ? 1 : kRefillBytes / s;
        char* chunk = static_cast<char*>(std::calloc(count, stride));
        if (!chunk) return nullptr;
        a.stats.obtained += count * stride;
        // Chain in address order so consecutive allocations are adjacent.
        FreeBlock* head = nullptr;
        for (std::uint32_t i = count; i-- > 0;) {
            auto* b = reinterpret_cast<FreeBlock*>(chunk + i * stride);
            b->next = head;
            head = b;
        }
        a.freeLists[c] = head;
    }
    FreeBlock* b = a.freeLists[c];
    a.freeLists[c] = b->next;
    a.stats.wasted += s - n;
    return b;
}

void PoolGive(Allocator& a, void* block, std::uint32_t n) {
    int c = PoolClassFor(n);
    auto* b = static_cast<FreeBlock*>(block);
    b->next = a.freeLists[c];
    a.freeLists[c] = b;
}

void PutU32(char* at, std::uint32_t v) { std::memcpy(at, &v, 4); }
std::uint32_t GetU32(const char* at) {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

}  // namespace

int PoolClassFor(std::uint32_t n) {
    for (int c = 0; c < kClassCount; ++c)
        if (kPoolClasses[c] >= n) return c;
    return -1;
}

void* MemAlloc(std::uint32_t size) {
    if (size > UINT32_MAX - kBlockOverhead) {
        ShowOutOfMemory();
        return nullptr;
    }
    std::uint32_t total = size + kBlockOverhead;
    Allocator& a = A();
    char* base;
    {
        std::lock_guard<std::mutex> g(a.lock);
        base = static_cast<char*>(total < kPoolLimit ? PoolTake(a, total) : std::malloc(total));
        if (base) {
            a.inUse += total;
            a.live.emplace(base + 8, total);
        }
    }
    if (!base) {
        ShowOutOfMemory();
        return nullptr;
    }
    PutU32(base, kBlockMagic);
    PutU32(base + 4, total);
    std::memset(base + 8, 0, size);
    PutU32(base + 8 + size, kBlockGuard);
    return base + 8;
}

void MemFree(void* p) {
    if (!p) return;
    Allocator& a = A();
    std::uint32_t overwritten = 0;
    {
        std::unique_lock<std::mutex> g(a.lock);
        auto it = a.live.find(p);
        char* base = static_cast<char*>(p) - 8;
        if (it == a.live.end() || GetU32(base) != kBlockMagic) {
            g.unlock();
            ShowMessageId(4072);
            return;
        }
        std::uint32_t total = it->second;
        a.live.erase(it);
        PutU32(base, 0);  // a second release of this block is caught above
        if (GetU32(base + total - 4) != kBlockGuard) overwritten = total;
        PutU32(base + total - 4, 0);
        a.inUse -= total;
        if (total < kPoolLimit)
            PoolGive(a, base, total);
        else
            std::free(base);
    }
    if (overwritten) ShowMessage(FormatText(GetMessageText(4073), overwritten));
}

char* AllocTextBuffer() { return static_cast<char*>(MemAlloc(kTextBufferSize)); }

char* StrDup(const char* s) {
    if (!s) s = "";
    std::size_t n = std::strlen(s);
    char* copy = static_cast<char*>(MemAlloc(static_cast<std::uint32_t>(n + 1)));
    if (copy) std::memcpy(copy, s, n + 1);
    return copy;
}

std::uint32_t MemoryInUse() {
    std::lock_guard<std::mutex> g(A().lock);
    return A().inUse;
}

PoolStatistics GetPoolStatistics() {
    std::lock_guard<std::mutex> g(A().lock);
    return A().stats;
}

}  // namespace velt
