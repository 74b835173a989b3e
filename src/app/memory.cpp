#include "app/memory.h"

#include <algorithm>
#include <limits>
#include <string>

#include "app/diagnostics.h"
#include "app/run_log.h"

namespace avelor {

namespace {

struct ByteCounters {
    std::int64_t allocated = 0;
    std::int64_t freed = 0;
};

ByteCounters& counters()
{
    static ByteCounters c;
    return c;
}

// A run that asks for absurd sizes must still leave the counters readable.
void add_bytes(std::int64_t& counter, std::size_t size)
{
    constexpr auto top = std::numeric_limits<std::int64_t>::max();
    auto room = static_cast<std::uint64_t>(top - counter);
    counter = size >= room ? top : counter + static_cast<std::int64_t>(size);
}

// Far beyond the memory of any machine this runs on. Larger requests fail
// here rather than in the system allocator, which under some tools (the
// address sanitizer among them) aborts instead of failing.
constexpr std::size_t kLargestRequest = std::size_t{1} << 48;

}  // namespace

std::int64_t bytes_allocated() { return counters().allocated; }
std::int64_t bytes_freed() { return counters().freed; }

void memory_report(std::string_view label)
{
    const auto& c = counters();
    run_log().printf("%.*s: %lld bytes allocated, %lld freed, %lld net\n",
                     static_cast<int>(label.size()), label.data(),
                     static_cast<long long>(c.allocated), static_cast<long long>(c.freed),
                     static_cast<long long>(c.allocated - c.freed));
}

void TaggedBlock::reset() noexcept
{
    if (!data_) return;
    data_.reset();
    add_bytes(counters().freed, size_);
    size_ = 0;
}

TaggedBlock allocate_block(std::size_t size, std::string_view tag, bool fatal_on_failure)
{
    if (size == 0) report_fatal({tag, " too small to allocate"});
    add_bytes(counters().allocated, size);
    std::unique_ptr<std::byte[], TaggedBlock::Free> data;
    if (size <= kLargestRequest) data.reset(static_cast<std::byte*>(std::calloc(size, 1)));
    if (data) return TaggedBlock(std::move(data), size);
    if (!fatal_on_failure) return {};
    memory_report("alc_e");
    run_log().printf("Attempting to allocate %zu bytes\n", size);
    report_fatal({"Insufficient memory to allocate: ", tag});
}

TaggedBlock tagged_alloc(std::size_t size, std::string_view tag)
{
    return allocate_block(size, tag, true);
}

TaggedBlock tagged_alloc_or_null(std::size_t size, std::string_view tag)
{
    return allocate_block(size, tag, false);
}

void tagged_free(TaggedBlock& block, std::string_view) { block.reset(); }

// ---------------------------------------------------------------------------

BlockPool::BlockPool(std::size_t block_size, std::string_view tag) : block_size_(block_size)
{
    // A block must hold its header and at least one item.
    if (block_size <= kHeaderSize) report_fatal({tag, " too small to allocate"});
    blocks_.push_back(tagged_alloc(block_size, tag));
    used_ = kHeaderSize;
}

BlockPool::BlockPool(BlockPool&& other) noexcept
    : block_size_(std::exchange(other.block_size_, 0)),
      used_(std::exchange(other.used_, 0)),
      blocks_(std::move(other.blocks_)),
      destructors_(std::move(other.destructors_))
{
    other.blocks_.clear();
    other.destructors_.clear();
}

BlockPool& BlockPool::operator=(BlockPool&& other) noexcept
{
    if (this != &other) {
        release_blocks();
        block_size_ = std::exchange(other.block_size_, 0);
        used_ = std::exchange(other.used_, 0);
        blocks_ = std::move(other.blocks_);
        destructors_ = std::move(other.destructors_);
        other.blocks_.clear();
        other.destructors_.clear();
    }
    return *this;
}

void* BlockPool::take(std::size_t size, std::string_view tag)
{
    if (blocks_.empty()) report_fatal({"null block pointer"});
    // Sizes are rounded in full width: an item can never wrap round to a
    // small one.
    constexpr std::size_t top = std::numeric_limits<std::size_t>::max() & ~(kGrain - 1);
    std::size_t rounded = size > top - (kGrain - 1) ? top : (size + kGrain - 1) & ~(kGrain - 1);
    if (rounded > block_size_ - used_) {
        if (rounded > block_size_ - kHeaderSize)
            report_fatal({"Requested size larger than block ", std::to_string(rounded)});
        blocks_.push_back(tagged_alloc(block_size_, tag));
        used_ = kHeaderSize;
    }
    std::byte* item = blocks_.back().data() + used_;
    used_ += rounded;
    return item;
}

void BlockPool::release()
{
    if (blocks_.empty()) report_fatal({"null block pointer"});
    release_blocks();
}

void BlockPool::release_blocks() noexcept
{
    // Objects may refer to older ones, so the newest go first.
    for (auto it = destructors_.rbegin(); it != destructors_.rend(); ++it) it->destroy(it->object);
    destructors_.clear();
    while (!blocks_.empty()) {
        tagged_free(blocks_.back(), "fre_ec");
        blocks_.pop_back();
    }
    used_ = 0;
}

// ---------------------------------------------------------------------------

namespace detail {

TaggedBlock allocate_range(RangedIndex min, RangedIndex max, std::size_t element_size,
                           std::string_view tag)
{
    if (max < min) report_fatal({"Max index < min index: ", tag});
    // In unsigned arithmetic the span cannot overflow; a product too large
    // for any block is handed on as the largest size, which fails.
    std::size_t count = static_cast<std::size_t>(max) - static_cast<std::size_t>(min) + 1;
    std::size_t bytes = std::numeric_limits<std::size_t>::max();
    if (count != 0 && count <= bytes / element_size) bytes = count * element_size;
    return tagged_alloc(bytes, tag);
}

void index_out_of_range(std::string_view tag, RangedIndex index)
{
    report_fatal({"Index out of range: ", tag, " ", std::to_string(index)});
}

std::size_t column_count(RangedIndex first, RangedIndex last, std::string_view tag)
{
    if (last < first) report_fatal({"Max index < min index: ", tag});
    return static_cast<std::size_t>(last) - static_cast<std::size_t>(first) + 1;
}

}  // namespace detail

}  // namespace avelor
