#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "scripted_ui.h"
#include "shell/memory.h"

using velt::testing::ScriptedUi;

namespace {

std::uint32_t Word(const void* p, long offset) {
    std::uint32_t v;
    std::memcpy(&v, static_cast<const char*>(p) + offset, 4);
    return v;
}

TEST(MemoryBlocks, LayoutHasMagicTotalZeroedAreaAndGuard) {
    ScriptedUi ui;
    std::uint32_t before = velt::MemoryInUse();
    for (std::uint32_t size : {0u, 1u, 3u, 17u, 400u, 1011u, 1012u, 5000u}) {
        auto* p = static_cast<unsigned char*>(velt::MemAlloc(size));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Word(p, -8), velt::kBlockMagic) << size;
        EXPECT_EQ(Word(p, -4), size + 12) << size;
        for (std::uint32_t k = 0; k < size; ++k) ASSERT_EQ(p[k], 0) << size;
        EXPECT_EQ(Word(p, size), velt::kBlockGuard) << size;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u) << size;
        EXPECT_EQ(velt::MemoryInUse(), before + size + 12);
        std::memset(p, 0xAB, size);  // dirty it so a reused block must be zeroed again
        velt::MemFree(p);
        EXPECT_EQ(velt::MemoryInUse(), before);
    }
    // Reused pool blocks come back zeroed.
    auto* q = static_cast<unsigned char*>(velt::MemAlloc(17));
    for (int k = 0; k < 17; ++k) EXPECT_EQ(q[k], 0);
    velt::MemFree(q);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(MemoryBlocks, WrongAndDoubleReleasesAreReportedAndReleaseNothing) {
    ScriptedUi ui;
    void* p = velt::MemAlloc(32);
    std::uint32_t inUse = velt::MemoryInUse();
    velt::MemFree(p);
    velt::MemFree(p);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Wrong block passed to release");
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_EQ(velt::MemoryInUse(), inUse - 44);

    // A pointer that never came from MemAlloc, even one whose preceding bytes look like a
    // header, is not touched.
    alignas(8) unsigned char fake[64] = {};
    std::uint32_t magic = velt::kBlockMagic, total = 40;
    std::memcpy(fake, &magic, 4);
    std::memcpy(fake + 4, &total, 4);
    velt::MemFree(fake + 8);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, "Wrong block passed to release");
    EXPECT_EQ(std::memcmp(fake, &magic, 4), 0);

    velt::MemFree(nullptr);
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST(MemoryBlocks, OverrunIsReportedWithTotalSizeAndBlockStillReleased) {
    ScriptedUi ui;
    for (std::uint32_t size : {10u, 2000u}) {
        ui.Clear();
        std::uint32_t before = velt::MemoryInUse();
        auto* p = static_cast<char*>(velt::MemAlloc(size));
        p[size] = 'x';  // one byte past the area lands on the guard
        velt::MemFree(p);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, "overwritten block size " + std::to_string(size + 12) + "\n");
        EXPECT_EQ(velt::MemoryInUse(), before);
    }
}

TEST(MemoryBlocks, PoolServesTotalsBelow1024AndCountsWaste) {
    // Size 1011 is a total of 1023: the pool's class of 1040. Size 1012 (total 1024) goes to
    // the heap, so neither the pool's obtained nor its wasted bytes move.
    auto s0 = velt::GetPoolStatistics();
    void* heap = velt::MemAlloc(1012);
    auto s1 = velt::GetPoolStatistics();
    EXPECT_EQ(s1.wasted, s0.wasted);
    EXPECT_EQ(s1.obtained, s0.obtained);
    void* pooled = velt::MemAlloc(1011);
    auto s2 = velt::GetPoolStatistics();
    EXPECT_EQ(s2.wasted - s1.wasted, 1040u - 1023u);
    velt::MemFree(heap);
    velt::MemFree(pooled);

    EXPECT_EQ(velt::kPoolClasses[velt::PoolClassFor(1023)], 1040u);
    EXPECT_EQ(velt::kPoolClasses[velt::PoolClassFor(12)], 32u);
    EXPECT_EQ(velt::kPoolClasses[velt::PoolClassFor(33)], 36u);
    EXPECT_EQ(velt::kPoolClasses[velt::PoolClassFor(4300)], 4300u);
    EXPECT_EQ(velt::PoolClassFor(4301), -1);
}

TEST(MemoryBlocks, ManyLiveBlocksStayIntact) {
    // Blocks carved from one refill must not overlap: fill each with its own byte.
    std::vector<unsigned char*> blocks;
    for (int k = 0; k < 300; ++k) {
        auto size = static_cast<std::uint32_t>(20 + k % 7);
        auto* p = static_cast<unsigned char*>(velt::MemAlloc(size));
        std::memset(p, k & 0xFF, size);
        blocks.push_back(p);
    }
    ScriptedUi ui;
    for (int k = 0; k < 300; ++k) {
        auto size = static_cast<std::uint32_t>(20 + k % 7);
        for (std::uint32_t b = 0; b < size; ++b) ASSERT_EQ(blocks[k][b], k & 0xFF);
        velt::MemFree(blocks[k]);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(MemoryBlocks, PointersInsideOrBetweenPoolBlocksAreNotReleased) {
    ScriptedUi ui;
    std::uint32_t before = velt::MemoryInUse();
    // Enough blocks to fill many pool pages, released in an order unlike their allocation.
    std::vector<char*> blocks;
    for (int k = 0; k < 5000; ++k) blocks.push_back(static_cast<char*>(velt::MemAlloc(40)));
    char* live = blocks[100];
    velt::MemFree(live + 8);  // inside a live block
    velt::MemFree(live - 4);  // in the header of one
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, "Wrong block passed to release");
    for (std::size_t k = 0; k < blocks.size(); k += 2) velt::MemFree(blocks[k]);
    for (std::size_t k = 1; k < blocks.size(); k += 2) velt::MemFree(blocks[k]);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(velt::MemoryInUse(), before);
    // Released blocks are reused, and a stale pointer to one that was reused is live again
    // only through its new owner.
    char* again = static_cast<char*>(velt::MemAlloc(40));
    EXPECT_NE(std::find(blocks.begin(), blocks.end(), again), blocks.end());
    velt::MemFree(again);
    velt::MemFree(again);
    EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST(MemoryBlocks, StrDupAndTextBuffer) {
    std::uint32_t before = velt::MemoryInUse();
    char* s = velt::StrDup("hello");
    EXPECT_STREQ(s, "hello");
    EXPECT_EQ(Word(s, -4), 6u + 12u);
    char* e = velt::StrDup(nullptr);
    EXPECT_STREQ(e, "");
    EXPECT_EQ(Word(e, -4), 1u + 12u);
    char* b = velt::AllocTextBuffer();
    EXPECT_EQ(Word(b, -4), 412u);
    velt::MemFree(s);
    velt::MemFree(e);
    velt::MemFree(b);
    EXPECT_EQ(velt::MemoryInUse(), before);
}

}  // namespace
