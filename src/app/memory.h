// Memory for project data: zeroed, name-tagged blocks whose sizes are
// counted for the run log; block pools from which the many small project
// records are carved and which are released all at once; arrays and
// matrices indexed from a chosen minimum.
//
// Running out of memory, impossible sizes and broken bounds are fatal: the
// program cannot go on without the memory it asked for. The tags exist only
// for those messages.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace avelor {

// Bytes asked for and bytes given back over the whole run (allocation
// requests count even when they fail).
std::int64_t bytes_allocated();
std::int64_t bytes_freed();

// "<label>: N bytes allocated, N freed, N net" in the run log.
void memory_report(std::string_view label);

// A zeroed block that counts its size as freed when it goes away.
class TaggedBlock {
public:
    TaggedBlock() = default;
    ~TaggedBlock() { reset(); }
    TaggedBlock(TaggedBlock&& other) noexcept
        : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0))
    {
    }
    TaggedBlock& operator=(TaggedBlock&& other) noexcept
    {
        if (this != &other) {
            reset();
            data_ = std::move(other.data_);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    TaggedBlock(const TaggedBlock&) = delete;
    TaggedBlock& operator=(const TaggedBlock&) = delete;

    std::byte* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }
    explicit operator bool() const { return data_ != nullptr; }

    // Gives the block back now.
    void reset() noexcept;

private:
    friend TaggedBlock allocate_block(std::size_t size, std::string_view tag,
                                      bool fatal_on_failure);
    // Blocks come zeroed from calloc, which for large blocks hands out
    // fresh pages that no one has to clear.
    struct Free {
        void operator()(std::byte* p) const noexcept { std::free(p); }
    };
    TaggedBlock(std::unique_ptr<std::byte[], Free> data, std::size_t size) : data_(std::move(data)), size_(size) {}

    std::unique_ptr<std::byte[], Free> data_;
    std::size_t size_ = 0;
};

// A zeroed block of size bytes; never empty. Size 0 and failure are fatal.
TaggedBlock tagged_alloc(std::size_t size, std::string_view tag);
// The same, but an empty block on failure, for callers with a fallback.
// Size 0 is still fatal.
TaggedBlock tagged_alloc_or_null(std::size_t size, std::string_view tag);
// Gives the block back at once; the tag is for symmetry with the allocation.
void tagged_free(TaggedBlock& block, std::string_view tag);

// A chain of equal blocks from which items are carved and never given back
// one by one; everything goes when the pool does. Items keep their address
// for the pool's whole life.
class BlockPool {
public:
    // Every block starts with this much bookkeeping; items come after it.
    static constexpr std::size_t kHeaderSize = 16;
    // Items are carved at multiples of this.
    static constexpr std::size_t kGrain = 8;

    BlockPool() = default;
    // The first block is allocated at once.
    BlockPool(std::size_t block_size, std::string_view tag);
    ~BlockPool() { release_blocks(); }
    BlockPool(BlockPool&& other) noexcept;
    BlockPool& operator=(BlockPool&& other) noexcept;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // Zeroed storage of size bytes rounded up to the grain, from the newest
    // block or, when it is too full, from a new block allocated under tag.
    void* take(std::size_t size, std::string_view tag);

    // A T constructed in storage carved from the pool. The pool destroys it
    // (newest first) when it releases its blocks.
    template <class T, class... Args>
    T* make(std::string_view tag, Args&&... args);

    // Destroys every object made in the pool and gives every block back.
    // Releasing a pool that holds no blocks is fatal.
    void release();

    std::size_t block_size() const { return block_size_; }
    // Bytes used in the newest block, header included.
    std::size_t used() const { return used_; }
    std::size_t block_count() const { return blocks_.size(); }

private:
    struct Destructor {
        void* object;
        void (*destroy)(void*);
    };

    void release_blocks() noexcept;

    std::size_t block_size_ = 0;
    std::size_t used_ = 0;
    std::vector<TaggedBlock> blocks_;  // oldest first
    std::vector<Destructor> destructors_;  // in order of construction
};

template <class T, class... Args>
T* BlockPool::make(std::string_view tag, Args&&... args)
{
    static_assert(alignof(T) <= kGrain, "pool items are aligned to 8 bytes only");
    // Room for the destructor entry first, so that a T once built is never
    // left without one.
    if constexpr (!std::is_trivially_destructible_v<T>) {
        if (destructors_.size() == destructors_.capacity())
            destructors_.reserve(destructors_.empty() ? 64 : 2 * destructors_.size());
    }
    void* storage = take(sizeof(T), tag);
    T* object = ::new (storage) T(std::forward<Args>(args)...);
    if constexpr (!std::is_trivially_destructible_v<T>) {
        destructors_.push_back({object, [](void* p) { static_cast<T*>(p)->~T(); }});
    }
    return object;
}

using RangedIndex = std::ptrdiff_t;

namespace detail {
// Zeroed storage for the elements min..max; fatal when max < min.
TaggedBlock allocate_range(RangedIndex min, RangedIndex max, std::size_t element_size,
                           std::string_view tag);
[[noreturn]] void index_out_of_range(std::string_view tag, RangedIndex index);
}  // namespace detail

// A zeroed array whose elements are addressed by the indexes min..max.
template <class T>
class RangedArray {
    static_assert(std::is_trivially_copyable_v<T>, "ranged arrays hold plain values");
    static_assert(alignof(T) <= alignof(std::max_align_t));

public:
    RangedArray() = default;
    RangedArray(RangedIndex min, RangedIndex max, std::string_view tag)
        : block_(detail::allocate_range(min, max, sizeof(T), tag)), tag_(tag), min_(min), max_(max)
    {
    }

    RangedIndex min() const { return min_; }
    RangedIndex max() const { return max_; }
    std::size_t size() const { return block_.size() / sizeof(T); }
    bool empty() const { return block_.empty(); }

    T& operator[](RangedIndex i)
    {
        assert(contains(i));
        return data()[i - min_];
    }
    const T& operator[](RangedIndex i) const
    {
        assert(contains(i));
        return data()[i - min_];
    }
    T& at(RangedIndex i)
    {
        if (!contains(i)) detail::index_out_of_range(tag_, i);
        return data()[i - min_];
    }
    const T& at(RangedIndex i) const
    {
        if (!contains(i)) detail::index_out_of_range(tag_, i);
        return data()[i - min_];
    }
    bool contains(RangedIndex i) const { return !empty() && i >= min_ && i <= max_; }

    // The element of index min().
    T* data() { return reinterpret_cast<T*>(block_.data()); }
    const T* data() const { return reinterpret_cast<const T*>(block_.data()); }
    std::span<T> elements() { return {data(), size()}; }
    std::span<const T> elements() const { return {data(), size()}; }

private:
    TaggedBlock block_;
    std::string tag_;
    RangedIndex min_ = 0;
    RangedIndex max_ = -1;
};

namespace detail {
// The number of columns first..last; fatal when last < first.
std::size_t column_count(RangedIndex first, RangedIndex last, std::string_view tag);
}  // namespace detail

// Rows first_row..last_row by columns first_col..last_col, all cells in one
// block row after row, with a handle to the start of each row.
template <class T>
class RangedMatrix {
public:
    RangedMatrix() = default;
    RangedMatrix(RangedIndex first_row, RangedIndex last_row, RangedIndex first_col,
                 RangedIndex last_col, std::string_view tag)
        : rows_(first_row, last_row, tag),
          first_col_(first_col),
          last_col_(last_col),
          cols_(detail::column_count(first_col, last_col, tag)),
          cells_(first_col,
                 first_col + static_cast<RangedIndex>(rows_.size() * cols_) - 1, tag)
    {
        T* start = cells_.data();
        for (RangedIndex r = first_row; r <= last_row; ++r)
            rows_[r] = start + static_cast<std::size_t>(r - first_row) * cols_;
    }

    T& operator()(RangedIndex r, RangedIndex c)
    {
        assert(c >= first_col_ && c <= last_col_);
        return rows_[r][c - first_col_];
    }
    const T& operator()(RangedIndex r, RangedIndex c) const
    {
        assert(c >= first_col_ && c <= last_col_);
        return rows_[r][c - first_col_];
    }
    std::span<T> row(RangedIndex r) { return {rows_[r], cols_}; }

    RangedIndex first_row() const { return rows_.min(); }
    RangedIndex last_row() const { return rows_.max(); }
    RangedIndex first_col() const { return first_col_; }
    RangedIndex last_col() const { return last_col_; }

private:
    // Declared before the cells so that the cells go back first.
    RangedArray<T*> rows_;
    RangedIndex first_col_ = 0;
    RangedIndex last_col_ = -1;
    std::size_t cols_ = 0;
    RangedArray<T> cells_;
};

// The same addressing, with every row a block of its own.
template <class T>
class RangedRowMatrix {
public:
    RangedRowMatrix() = default;
    RangedRowMatrix(RangedIndex first_row, RangedIndex last_row, RangedIndex first_col,
                    RangedIndex last_col, std::string_view tag)
        : handles_(first_row, last_row, tag), first_col_(first_col), last_col_(last_col)
    {
        detail::column_count(first_col, last_col, tag);
        rows_.reserve(handles_.size());
        for (RangedIndex r = first_row; r <= last_row; ++r) {
            rows_.emplace_back(first_col, last_col, tag);
            handles_[r] = &rows_.back();
        }
    }

    T& operator()(RangedIndex r, RangedIndex c) { return (*handles_[r])[c]; }
    const T& operator()(RangedIndex r, RangedIndex c) const { return (*handles_[r])[c]; }
    RangedArray<T>& row(RangedIndex r) { return *handles_[r]; }

    RangedIndex first_row() const { return handles_.min(); }
    RangedIndex last_row() const { return handles_.max(); }
    RangedIndex first_col() const { return first_col_; }
    RangedIndex last_col() const { return last_col_; }

private:
    // Each row is given back before the handles.
    RangedArray<RangedArray<T>*> handles_;
    RangedIndex first_col_ = 0;
    RangedIndex last_col_ = -1;
    std::vector<RangedArray<T>> rows_;
};

}  // namespace avelor
