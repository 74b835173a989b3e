#include "app/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_log.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::RunLogFile;
using testing::ScriptedPort;

bool all_zero(const std::byte* data, std::size_t size)
{
    return std::all_of(data, data + size, [](std::byte b) { return b == std::byte{0}; });
}

// The text a fatal stop carries for the given message.
std::string stop_text(const std::string& message) { return " " + message + "\n"; }

template <class F>
std::string fatal_text(F&& action)
{
    try {
        action();
    } catch (const FatalStop& stop) {
        return stop.what();
    }
    ADD_FAILURE() << "expected a fatal stop";
    return {};
}

TEST(MemoryCounters, BlockCountsItsSizeOnceEachWay)
{
    std::int64_t allocated = bytes_allocated();
    std::int64_t freed = bytes_freed();
    {
        TaggedBlock block = tagged_alloc(100, "test");
        ASSERT_FALSE(block.empty());
        EXPECT_EQ(block.size(), 100u);
        EXPECT_TRUE(all_zero(block.data(), block.size()));
        TaggedBlock moved = std::move(block);
        EXPECT_TRUE(block.empty());
        EXPECT_EQ(bytes_allocated() - allocated, 100);
        EXPECT_EQ(bytes_freed() - freed, 0);
    }
    EXPECT_EQ(bytes_freed() - freed, 100);

    TaggedBlock early = tagged_alloc(30, "test");
    tagged_free(early, "other");
    EXPECT_TRUE(early.empty());
    EXPECT_EQ(bytes_allocated() - allocated, 130);
    EXPECT_EQ(bytes_freed() - freed, 130);
}

TEST(MemoryCounters, ReportLineGivesBothCountersAndTheirDifference)
{
    RunLogFile log;
    TaggedBlock held = tagged_alloc(24, "test");
    memory_report("exit");
    std::string expected = "exit: " + std::to_string(bytes_allocated()) + " bytes allocated, " +
                           std::to_string(bytes_freed()) + " freed, " +
                           std::to_string(bytes_allocated() - bytes_freed()) + " net\n";
    EXPECT_EQ(log.text(), expected);
    EXPECT_GE(bytes_allocated() - bytes_freed(), 24);
}

TEST(MemoryAlloc, ZeroSizeIsFatalWithTheTag)
{
    ScriptedPort port;
    EXPECT_EQ(fatal_text([] { tagged_alloc(0, "zone"); }), stop_text("zone too small to allocate"));
    EXPECT_EQ(fatal_text([] { tagged_alloc_or_null(0, "fbuf"); }),
              stop_text("fbuf too small to allocate"));
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].caption, "FATAL");
}

TEST(MemoryAlloc, FailureReportsCountersAndSizeThenStops)
{
    ScriptedPort port;
    RunLogFile log;
    const std::size_t huge = (std::size_t{1} << 50) + 3;
    std::int64_t allocated = bytes_allocated();

    EXPECT_EQ(fatal_text([&] { tagged_alloc(huge, "ZnLst"); }),
              stop_text("Insufficient memory to allocate: ZnLst"));
    // The failed request is counted before the report.
    EXPECT_EQ(bytes_allocated() - allocated, static_cast<std::int64_t>(huge));
    std::string report = "alc_e: " + std::to_string(bytes_allocated()) + " bytes allocated, " +
                         std::to_string(bytes_freed()) + " freed, " +
                         std::to_string(bytes_allocated() - bytes_freed()) + " net\n" +
                         "Attempting to allocate " + std::to_string(huge) + " bytes\n";
    EXPECT_EQ(log.text().substr(0, report.size()), report);

    port.boxes.clear();
    EXPECT_TRUE(tagged_alloc_or_null(huge, "fbuf").empty());
    EXPECT_TRUE(port.boxes.empty());
}

TEST(PoolTake, RoundsUpToMultiplesOfEight)
{
    struct Case {
        std::size_t size, rounded;
    };
    for (Case c : {Case{1, 8}, Case{8, 8}, Case{9, 16}, Case{15, 16}, Case{17, 24}}) {
        SCOPED_TRACE(c.size);
        BlockPool pool(256, "block");
        auto* first = static_cast<std::byte*>(pool.take(c.size, "zone"));
        auto* second = static_cast<std::byte*>(pool.take(1, "zone"));
        EXPECT_EQ(static_cast<std::size_t>(second - first), c.rounded);
        EXPECT_EQ(pool.used(), BlockPool::kHeaderSize + c.rounded + 8);
        EXPECT_TRUE(all_zero(first, c.rounded));
    }
}

TEST(PoolTake, ItemOfBlockLessHeaderFillsAnEmptyBlock)
{
    ScriptedPort port;
    BlockPool pool(64, "block");
    std::int64_t allocated = bytes_allocated();
    pool.take(48, "zone");
    EXPECT_EQ(pool.block_count(), 1u);
    EXPECT_EQ(pool.used(), 64u);

    // The next item needs a new block, allocated under the caller's tag.
    pool.take(1, "path");
    EXPECT_EQ(pool.block_count(), 2u);
    EXPECT_EQ(pool.used(), 24u);
    EXPECT_EQ(bytes_allocated() - allocated, 64);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(PoolTake, ItemLargerThanABlockCanHoldIsFatal)
{
    struct Case {
        std::size_t block, size;
        const char* message;
    };
    // 65530 and 65536 once wrapped round to an item of 0 bytes.
    for (Case c : {Case{64, 49, "Requested size larger than block 56"},
                   Case{32000, 31985, "Requested size larger than block 31992"},
                   Case{32000, 65530, "Requested size larger than block 65536"},
                   Case{32000, 65536, "Requested size larger than block 65536"}}) {
        SCOPED_TRACE(c.size);
        ScriptedPort port;
        BlockPool pool(c.block, "block");
        EXPECT_EQ(fatal_text([&] { pool.take(c.size, "zone"); }), stop_text(c.message));
        EXPECT_EQ(pool.used(), BlockPool::kHeaderSize);
    }
}

TEST(PoolRelease, GivesBackEveryBlockOnceAndRefusesAnEmptyPool)
{
    ScriptedPort port;
    std::int64_t freed = bytes_freed();
    BlockPool pool(32, "block");
    for (int i = 0; i < 3; ++i) pool.take(16, "zone");
    ASSERT_EQ(pool.block_count(), 3u);

    BlockPool owner = std::move(pool);
    owner.release();
    EXPECT_EQ(bytes_freed() - freed, 3 * 32);
    EXPECT_EQ(owner.block_count(), 0u);
    EXPECT_EQ(fatal_text([&] { owner.release(); }), stop_text("null block pointer"));
    EXPECT_EQ(fatal_text([&] { owner.take(8, "zone"); }), stop_text("null block pointer"));
    EXPECT_EQ(bytes_freed() - freed, 3 * 32);
}

TEST(PoolMake, ObjectsKeepTheirPlaceAndAreDestroyedNewestFirst)
{
    struct Tracked {
        Tracked(std::vector<int>* gone_list, int number, std::string words)
            : gone(gone_list), id(number), text(std::move(words))
        {
        }
        ~Tracked() { gone->push_back(id); }
        std::vector<int>* gone;
        int id;
        std::string text;
    };
    std::vector<int> gone;
    std::vector<Tracked*> made;
    {
        // Small blocks, so the objects spread over several of them.
        BlockPool pool(16 + 2 * sizeof(Tracked), "block");
        for (int id = 1; id <= 5; ++id)
            made.push_back(pool.make<Tracked>("obj", &gone, id, std::string(40, 'x')));
        EXPECT_EQ(pool.block_count(), 3u);
        for (int id = 1; id <= 5; ++id) {
            EXPECT_EQ(made[id - 1]->id, id);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(made[id - 1]) % 8, 0u);
        }
        EXPECT_TRUE(gone.empty());
    }
    EXPECT_EQ(gone, (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST(RangedArray, MaxBelowMinIsFatal)
{
    ScriptedPort port;
    EXPECT_EQ(fatal_text([] { RangedArray<int>(5, 4, "levels"); }),
              stop_text("Max index < min index: levels"));
}

TEST(RangedArray, SingleIndexGivesOneZeroedElement)
{
    ScriptedPort port;
    std::int64_t allocated = bytes_allocated();
    RangedArray<double> one(1, 1, "one");
    EXPECT_EQ(bytes_allocated() - allocated, static_cast<std::int64_t>(sizeof(double)));
    EXPECT_EQ(one.size(), 1u);
    EXPECT_EQ(one.at(1), 0.0);
    EXPECT_EQ(fatal_text([&] { one.at(2); }), stop_text("Index out of range: one 2"));
    EXPECT_EQ(fatal_text([&] { one.at(0); }), stop_text("Index out of range: one 0"));
}

TEST(RangedArray, NegativeMinimumAddressesEveryIndexDirectly)
{
    std::int64_t freed = bytes_freed();
    {
        RangedArray<std::int32_t> a(-3, 2, "span");
        EXPECT_EQ(a.min(), -3);
        EXPECT_EQ(a.max(), 2);
        ASSERT_EQ(a.size(), 6u);
        for (RangedIndex i = -3; i <= 2; ++i) EXPECT_EQ(a[i], 0);
        for (RangedIndex i = -3; i <= 2; ++i) a[i] = static_cast<std::int32_t>(i * 10);
        EXPECT_EQ(a.data()[0], -30);
        EXPECT_EQ(a.data()[5], 20);
        EXPECT_EQ(&a[0], a.data() + 3);
    }
    EXPECT_EQ(bytes_freed() - freed, static_cast<std::int64_t>(6 * sizeof(std::int32_t)));
}

template <class Matrix>
void fill_and_check(Matrix& m)
{
    for (RangedIndex r = m.first_row(); r <= m.last_row(); ++r)
        for (RangedIndex c = m.first_col(); c <= m.last_col(); ++c) EXPECT_EQ(m(r, c), 0);
    for (RangedIndex r = m.first_row(); r <= m.last_row(); ++r)
        for (RangedIndex c = m.first_col(); c <= m.last_col(); ++c)
            m(r, c) = static_cast<int>(r * 10 + c);
    for (RangedIndex r = m.first_row(); r <= m.last_row(); ++r)
        for (RangedIndex c = m.first_col(); c <= m.last_col(); ++c)
            EXPECT_EQ(m(r, c), r * 10 + c) << r << "," << c;
}

TEST(RangedMatrix, ContiguousCellsRunRowAfterRow)
{
    std::int64_t allocated = bytes_allocated();
    std::int64_t freed = bytes_freed();
    const auto bytes = static_cast<std::int64_t>(3 * sizeof(int*) + 3 * 4 * sizeof(int));
    {
        RangedMatrix<int> m(2, 4, -1, 2, "grid");
        EXPECT_EQ(bytes_allocated() - allocated, bytes);
        fill_and_check(m);
        EXPECT_EQ(&m(3, -1), &m(2, 2) + 1);
        EXPECT_EQ(&m(4, 2), &m(2, -1) + 11);
        EXPECT_EQ(m.row(3)[1], 30);
    }
    EXPECT_EQ(bytes_freed() - freed, bytes);
}

TEST(RangedMatrix, RowByRowKindAddressesTheSameWay)
{
    std::int64_t allocated = bytes_allocated();
    std::int64_t freed = bytes_freed();
    const auto bytes = static_cast<std::int64_t>(3 * sizeof(void*) + 3 * 4 * sizeof(int));
    {
        RangedRowMatrix<int> m(2, 4, -1, 2, "rows");
        EXPECT_EQ(bytes_allocated() - allocated, bytes);
        fill_and_check(m);
        EXPECT_EQ(m.row(3).min(), -1);
        EXPECT_EQ(m.row(3)[2], 32);
    }
    EXPECT_EQ(bytes_freed() - freed, bytes);
}

TEST(RangedMatrix, ReversedRowsOrColumnsAreFatal)
{
    ScriptedPort port;
    const std::string message = stop_text("Max index < min index: grid");
    EXPECT_EQ(fatal_text([] { RangedMatrix<int>(3, 2, 1, 1, "grid"); }), message);
    EXPECT_EQ(fatal_text([] { RangedMatrix<int>(1, 1, 3, 2, "grid"); }), message);
    EXPECT_EQ(fatal_text([] { RangedRowMatrix<int>(3, 2, 1, 1, "grid"); }), message);
    EXPECT_EQ(fatal_text([] { RangedRowMatrix<int>(1, 1, 3, 2, "grid"); }), message);
}

}  // namespace
}  // namespace avelor
