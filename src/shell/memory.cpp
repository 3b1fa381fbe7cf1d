#include "shell/memory.h"

#include "platform/pages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <array>
#include <atomic>
#include <mutex>
#include <thread>
#include <new>
#include <unordered_map>

#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {
namespace {

constexpr int kClassCount = sizeof(kPoolClasses) / sizeof(kPoolClasses[0]);
// Pool blocks are carved from pages of this size, each page holding blocks of one class, so
// the page of any pool block is found from its address alone.
constexpr std::uintptr_t kPage = 4096;
// Pages are cut from slabs taken from the system this many at a time: 2 MiB, one large page
// where the system has them, so loading a big file does not fault on every 4 KiB.
constexpr std::size_t kPagesPerSlab = 512;

// One page of pool blocks, with the total size of each live block (0: free).
struct Page {
    char* base;
    std::uint32_t stride;
    std::uint32_t count;
    std::uint16_t totals[1];  // `count` entries
};

// Blocks are taken and given back on the user-interface thread almost always, so the lock is
// nearly never contended: a spin on one flag costs a fraction of a mutex per block, which
// matters when a large file makes a million lines.
class SpinLock {
  public:
    void lock() {
        while (flag_.exchange(true, std::memory_order_acquire))
            while (flag_.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
    void unlock() { flag_.store(false, std::memory_order_release); }

  private:
    std::atomic<bool> flag_{false};
};

struct FreeBlock {
    FreeBlock* next;
    Page* page;
    std::uint32_t index;
};

struct Allocator {
    SpinLock lock;
    std::uint32_t inUse = 0;
    PoolStatistics stats;
    FreeBlock* freeLists[kClassCount] = {};
    char* slab = nullptr;
    std::size_t slabPagesLeft = 0;
    // Pool pages by address, and live heap blocks by the caller's pointer with their total
    // size. Looking a pointer up before touching its header keeps a foreign pointer from
    // being read or written at all, and the recorded size means a clobbered header cannot
    // send the guard check out of bounds.
    std::unordered_map<std::uintptr_t, Page*> pages;
    std::unordered_map<void*, std::uint32_t> live;
};

Allocator& A() {
    static Allocator* a = new Allocator;  // never destroyed: blocks may outlive statics
    return *a;
}

// Blocks are carved at a stride rounded up to 8 so that every caller's area (at offset 8)
// stays 8-byte aligned; the class size itself is what the statistics count.
std::uint32_t Stride(std::uint32_t classSize) { return (classSize + 7) & ~7u; }

bool Refill(Allocator& a, int c) {
    if (a.slabPagesLeft == 0) {
        a.slab = static_cast<char*>(platform::AllocateSlab(kPage * kPagesPerSlab));
        if (!a.slab) return false;
        a.slabPagesLeft = kPagesPerSlab;
        a.stats.obtained += static_cast<std::uint32_t>(kPage * kPagesPerSlab);
    }
    std::uint32_t stride = Stride(kPoolClasses[c]);
    std::uint32_t count = static_cast<std::uint32_t>(kPage) / stride;
    void* raw = ::operator new(sizeof(Page) + count * sizeof(std::uint16_t), std::nothrow);
    if (!raw) return false;
    auto* page = static_cast<Page*>(raw);
    page->base = a.slab;
    page->stride = stride;
    page->count = count;
    std::memset(page->totals, 0, count * sizeof(std::uint16_t));
    a.pages.emplace(reinterpret_cast<std::uintptr_t>(a.slab), page);
    a.slab += kPage;
    --a.slabPagesLeft;
    // Chain in address order so consecutive allocations are adjacent.
    FreeBlock* head = nullptr;
    for (std::uint32_t i = count; i-- > 0;) {
        auto* b = reinterpret_cast<FreeBlock*>(page->base + i * stride);
        b->next = head;
        b->page = page;
        b->index = i;
        head = b;
    }
    a.freeLists[c] = head;
    return true;
}

void* PoolTake(Allocator& a, std::uint32_t n) {
    int c = PoolClassFor(n);
    if (!a.freeLists[c] && !Refill(a, c)) return nullptr;
    FreeBlock* b = a.freeLists[c];
    a.freeLists[c] = b->next;
    b->page->totals[b->index] = static_cast<std::uint16_t>(n);
    a.stats.wasted += kPoolClasses[c] - n;
    return b;
}

// The page and index of the pool block whose caller's area is `p`; null when `p` is not
// the start of a block's area in a pool page.
Page* FindPoolBlock(Allocator& a, void* p, std::uint32_t& index) {
    auto addr = reinterpret_cast<std::uintptr_t>(p);
    auto it = a.pages.find(addr & ~(kPage - 1));
    if (it == a.pages.end()) return nullptr;
    Page* page = it->second;
    std::uintptr_t offset = addr - reinterpret_cast<std::uintptr_t>(page->base);
    if (offset < 8 || (offset - 8) % page->stride != 0) return nullptr;
    index = static_cast<std::uint32_t>((offset - 8) / page->stride);
    return index < page->count ? page : nullptr;
}

void PutU32(char* at, std::uint32_t v) { std::memcpy(at, &v, 4); }
std::uint32_t GetU32(const char* at) {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

}  // namespace

namespace {

// The class of every pool request, by (n + 3) / 4: the classes are multiples of 4, so all
// sizes in one step of 4 share their class.
const std::array<std::uint8_t, kPoolLimit / 4 + 1> kClassOfQuarter = [] {
    std::array<std::uint8_t, kPoolLimit / 4 + 1> table{};
    int c = 0;
    for (std::uint32_t q = 0; q < table.size(); ++q) {
        while (kPoolClasses[c] < q * 4) ++c;
        table[q] = static_cast<std::uint8_t>(c);
    }
    return table;
}();

}  // namespace

int PoolClassFor(std::uint32_t n) {
    if (n < kPoolLimit) return kClassOfQuarter[(n + 3) / 4];
    const std::uint32_t* end = kPoolClasses + kClassCount;
    const std::uint32_t* c = std::lower_bound(kPoolClasses, end, n);
    return c == end ? -1 : static_cast<int>(c - kPoolClasses);
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
        std::lock_guard<SpinLock> g(a.lock);
        if (total < kPoolLimit) {
            base = static_cast<char*>(PoolTake(a, total));
        } else {
            base = static_cast<char*>(std::malloc(total));
            if (base) a.live.emplace(base + 8, total);
        }
        if (base) a.inUse += total;
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
        std::unique_lock<SpinLock> g(a.lock);
        char* base = static_cast<char*>(p) - 8;
        std::uint32_t index = 0;
        Page* page = FindPoolBlock(a, p, index);
        std::uint32_t total = 0;
        auto it = a.live.end();
        if (page) {
            total = page->totals[index];
        } else {
            it = a.live.find(p);
            if (it != a.live.end()) total = it->second;
        }
        if (total == 0 || GetU32(base) != kBlockMagic) {
            g.unlock();
            ShowMessageId(4072);
            return;
        }
        PutU32(base, 0);  // a second release of this block is caught above
        if (GetU32(base + total - 4) != kBlockGuard) overwritten = total;
        PutU32(base + total - 4, 0);
        a.inUse -= total;
        if (page) {
            page->totals[index] = 0;
            int c = PoolClassFor(total);
            auto* b = reinterpret_cast<FreeBlock*>(base);
            b->next = a.freeLists[c];
            b->page = page;
            b->index = index;
            a.freeLists[c] = b;
        } else {
            a.live.erase(it);
            std::free(base);
        }
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
    std::lock_guard<SpinLock> g(A().lock);
    return A().inUse;
}

PoolStatistics GetPoolStatistics() {
    std::lock_guard<SpinLock> g(A().lock);
    return A().stats;
}

}  // namespace velt
