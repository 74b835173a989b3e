// The lists that hold a project's records and definitions.
//
// NumberedList: records of one kind (zones, paths, ...) chained in the order
// they were made, with an index from record number to record and, beside
// it, each record's predecessor in the chain, so that a record leaves the
// chain in constant time. Released records go to a free chain for reuse;
// numbers may have gaps until the project is packed, after which the chain
// visits 1..count in order.
//
// NamedList: definitions chained in ascending byte-wise order of name.
//
// SortedList: copies of small chart records kept in ascending key order.
//
// Records of the first two live in a BlockPool and keep their address for
// the pool's life, so other records may point at them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "app/memory.h"

namespace avelor {

// Every numbered record begins with these.
template <class T>
struct ListLink {
    T* next = nullptr;
    std::int32_t nr = 0;  // 1-based
};

// Every definition record begins with these.
template <class T>
struct NamedLink {
    T* next = nullptr;
    std::int32_t nr = 0;         // 1..count in chain order when written to a file
    std::int32_t use_count = 0;  // references made while reading
    std::string name;            // at most kNameSize - 1 characters
    std::string desc;            // one line
};

// Walks a chain through the records' next links.
template <class T>
class ChainIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;

    ChainIterator() = default;
    explicit ChainIterator(T* record) : record_(record) {}
    T& operator*() const { return *record_; }
    T* operator->() const { return record_; }
    ChainIterator& operator++()
    {
        record_ = record_->next;
        return *this;
    }
    ChainIterator operator++(int)
    {
        ChainIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const ChainIterator&) const = default;

private:
    T* record_ = nullptr;
};

namespace detail {
void log_list_error_header(std::string_view type_name);
void log_list_entry(RangedIndex i, std::int32_t nr, const void* record, const void* next);
void log_list_empty_entry(RangedIndex i);
[[noreturn]] void list_reordering_error(std::string_view type_name);
}  // namespace detail

template <class T>
class NumberedList {
    static_assert(std::is_base_of_v<ListLink<T>, T>, "numbered records derive from ListLink");

public:
    // The index grows by at least this many entries at a time.
    static constexpr RangedIndex kIndexGrowth = 512;

    // Records are carved from pool under record_tag ("zone"); the index is
    // allocated under index_tag ("ZnLst"); type_name ("Zone") names the list
    // in the check's messages. on_change is told of every add and release.
    NumberedList(BlockPool& pool, std::string record_tag, std::string index_tag,
                 std::string type_name, std::function<void()> on_change = {})
        : pool_(&pool),
          record_tag_(std::move(record_tag)),
          index_tag_(std::move(index_tag)),
          type_name_(std::move(type_name)),
          on_change_(std::move(on_change)),
          // The spare entry lets an empty list own an index.
          index_(1, 1, index_tag_)
    {
    }
    NumberedList(NumberedList&&) noexcept = default;
    NumberedList& operator=(NumberedList&&) noexcept = default;
    NumberedList(const NumberedList&) = delete;
    NumberedList& operator=(const NumberedList&) = delete;

    void set_on_change(std::function<void()> on_change) { on_change_ = std::move(on_change); }

    // The highest number given out (released numbers included).
    std::int32_t count() const { return count_; }
    // Index entries 1..capacity exist; always more than count.
    RangedIndex capacity() const { return index_.max(); }
    const std::string& type_name() const { return type_name_; }

    T* head() const { return head_; }
    ChainIterator<T> begin() const { return ChainIterator<T>(head_); }
    ChainIterator<T> end() const { return ChainIterator<T>(); }

    // Record n, or null when there is none.
    T* at(RangedIndex n) const { return index_.contains(n) ? index_[n] : nullptr; }

    // A working copy of record n.
    std::optional<T> get(RangedIndex n) const
    {
        const T* record = at(n);
        if (!record) return std::nullopt;
        return *record;
    }

    // Stores the working copy as record n: over the existing record n, or in
    // a reused or newly carved record linked at the end of the chain. The
    // stored record keeps its own link and gets number n.
    T* put(RangedIndex n, const T& copy)
    {
        if (n < 1 || n >= std::numeric_limits<std::int32_t>::max())
            detail::index_out_of_range(index_tag_, n);
        T* record = at(n);
        if (record) {
            T* next = record->next;
            *record = copy;
            record->next = next;
        } else {
            if (n >= capacity()) grow(std::max(capacity() + kIndexGrowth, n + 1));
            record = fresh_record(copy);
            record->next = nullptr;
            index_[n] = record;
            before_[static_cast<std::size_t>(n)] = tail_;
            link_at_tail(record);
            count_ = std::max(count_, static_cast<std::int32_t>(n));
        }
        record->nr = static_cast<std::int32_t>(n);
        return record;
    }

    // Stores a new record numbered count + 1.
    T* add(const T& record)
    {
        T* stored = put(RangedIndex{count_} + 1, record);
        changed();
        return stored;
    }

    // Takes record n out of the chain and keeps it for reuse. The count
    // stays: packing closes the gap. False when there is no record n.
    bool release(RangedIndex n)
    {
        T* record = at(n);
        if (!record) return false;
        unlink(record, n);
        record->next = free_;
        free_ = record;
        index_[n] = nullptr;
        before_[static_cast<std::size_t>(n)] = nullptr;
        changed();
        return true;
    }

    // Makes room in the index for records 1..n.
    void reserve(RangedIndex n)
    {
        if (n >= capacity()) grow(n + 1);
    }

    // Renumbers the list 1..order.size() in the given order (each record of
    // the chain at most once) and rebuilds the chain and the index to match.
    // Chained records left out of order are dropped: they get number 0 and
    // their storage is never handed out again, so a reference that still
    // points at one cannot come to name another record. Not a change of the
    // records: the change listener is not told.
    void adopt_order(const std::vector<T*>& order)
    {
        for (T* r = head_; r; r = r->next) r->nr = 0;
        for (T*& entry : index_.elements()) entry = nullptr;
        std::fill(before_.begin(), before_.end(), nullptr);
        const auto n = static_cast<RangedIndex>(order.size());
        if (n >= capacity()) grow(n + 1);
        head_ = tail_ = nullptr;
        T* before = nullptr;
        for (RangedIndex i = 1; i <= n; ++i) {
            T* record = order[static_cast<std::size_t>(i - 1)];
            record->nr = static_cast<std::int32_t>(i);
            record->next = nullptr;
            (before ? before->next : head_) = record;
            before_[static_cast<std::size_t>(i)] = before;
            before = record;
            index_[i] = record;
        }
        tail_ = before;
        count_ = static_cast<std::int32_t>(n);
    }

    // Forgets every record, released ones too; their storage stays with
    // the pool.
    void clear()
    {
        for (T*& entry : index_.elements()) entry = nullptr;
        std::fill(before_.begin(), before_.end(), nullptr);
        head_ = tail_ = free_ = nullptr;
        count_ = 0;
    }

    // Rebuilds the index from the chain and returns count when the chain
    // visits records 1..count in order; otherwise dumps the list to the run
    // log and ends the program. The walk stops after count records, so a
    // looping or overlong chain is caught rather than followed.
    std::int32_t check()
    {
        RangedIndex walked = 0;
        T* record = head_;
        while (record && walked < count_) {
            before_[static_cast<std::size_t>(walked + 1)] = walked > 0 ? index_[walked] : nullptr;
            index_[++walked] = record;
            record = record->next;
        }
        bool ok = record == nullptr;
        for (RangedIndex i = walked + 1; i <= count_; ++i) index_[i] = nullptr;
        for (RangedIndex i = 1; ok && i <= count_; ++i) ok = index_[i] && index_[i]->nr == i;
        if (ok) return count_;

        detail::log_list_error_header(type_name_);
        for (RangedIndex i = 1; i <= count_; ++i) {
            const T* entry = index_[i];
            if (entry)
                detail::log_list_entry(i, entry->nr, entry, entry->next);
            else
                detail::log_list_empty_entry(i);
        }
        detail::list_reordering_error(type_name_);
    }

private:
    void changed()
    {
        if (on_change_) on_change_();
    }

    void grow(RangedIndex new_capacity)
    {
        RangedArray<T*> bigger(1, new_capacity, index_tag_);
        for (RangedIndex i = 1; i <= capacity(); ++i) bigger[i] = index_[i];
        index_ = std::move(bigger);
        before_.resize(static_cast<std::size_t>(new_capacity) + 1, nullptr);
    }

    T* fresh_record(const T& copy)
    {
        if (!free_) return pool_->template make<T>(record_tag_, copy);
        T* record = free_;
        T* rest = record->next;
        *record = copy;
        free_ = rest;
        return record;
    }

    void link_at_tail(T* record)
    {
        if (tail_)
            tail_->next = record;
        else
            head_ = record;
        tail_ = record;
    }

    // The chain's record before the one numbered n (record), null for the
    // head; found by a walk only when the kept one does not lead to it.
    T* before_of(T* record, RangedIndex n)
    {
        T* before = before_[static_cast<std::size_t>(n)];
        if ((before ? before->next : head_) == record) return before;
        before = nullptr;
        for (T* r = head_; r && r != record; r = r->next) before = r;
        return before;
    }

    void unlink(T* record, RangedIndex n)
    {
        T* const before = before_of(record, n);
        if ((before ? before->next : head_) != record) return;
        T* const after = record->next;
        (before ? before->next : head_) = after;
        if (tail_ == record) tail_ = before;
        if (after && at(after->nr) == after) before_[static_cast<std::size_t>(after->nr)] = before;
    }

    BlockPool* pool_;
    std::string record_tag_;
    std::string index_tag_;
    std::string type_name_;
    std::function<void()> on_change_;
    RangedArray<T*> index_;
    std::vector<T*> before_ = std::vector<T*>(2, nullptr);  // by number, as index_
    T* head_ = nullptr;
    T* tail_ = nullptr;
    T* free_ = nullptr;
    std::int32_t count_ = 0;
};

// The named form of NumberedList::check.
template <class T>
std::int32_t list_check(NumberedList<T>& list)
{
    return list.check();
}

// Room for a definition's name, one more than its longest.
inline constexpr std::size_t kNameSize = 16;

// Names are ordered byte by byte, each byte taken as unsigned, so that
// "B" < "Z" < "_" < "a" and accented letters come after "z".
inline bool name_before(std::string_view a, std::string_view b)
{
    // char_traits<char> compares as unsigned char.
    return a.compare(b) < 0;
}

template <class T>
class NamedList {
public:
    // Storage for definitions is carved under this tag.
    static constexpr std::string_view kRecordTag = "elmt";

    explicit NamedList(BlockPool& pool, std::function<void()> on_change = {})
        : pool_(&pool), on_change_(std::move(on_change))
    {
    }
    NamedList(NamedList&&) noexcept = default;
    NamedList& operator=(NamedList&&) noexcept = default;
    NamedList(const NamedList&) = delete;
    NamedList& operator=(const NamedList&) = delete;

    void set_on_change(std::function<void()> on_change) { on_change_ = std::move(on_change); }

    std::int32_t count() const { return count_; }
    T* head() const { return head_; }
    ChainIterator<T> begin() const { return ChainIterator<T>(head_); }
    ChainIterator<T> end() const { return ChainIterator<T>(); }

    T* find_by_name(std::string_view name) const
    {
        for (T* r = head_; r; r = r->next)
            if (r->name == name) return r;
        return nullptr;
    }

    // As find_by_name, but tells the user of a name that is not there. A
    // name beginning with a blank stands for "none" and finds nothing
    // silently.
    T* find_named(std::string_view name) const
    {
        if (!name.empty() && name.front() == ' ') return nullptr;
        T* found = find_by_name(name);
        if (!found) show_message(WARNING, {"Name not found: ", name});
        return found;
    }

    // Stores a copy, reusing a removed record first, in name order.
    T* insert_copy(const T& contents)
    {
        T* record;
        if (free_) {
            record = free_;
            T* rest = record->next;
            *record = contents;
            free_ = rest;
        } else {
            record = pool_->template make<T>(kRecordTag, contents);
        }
        insert_record(record);
        changed();
        return record;
    }

    // Links a stored record in name order, after any of equal name.
    void insert_record(T* record)
    {
        record->next = nullptr;
        ++count_;
        // Lists are mostly built in order: append without a walk.
        if (!tail_ || !name_before(record->name, tail_->name)) {
            (tail_ ? tail_->next : head_) = record;
            tail_ = record;
            return;
        }
        T* before = nullptr;
        T* after = head_;
        while (after && !name_before(record->name, after->name)) {
            before = after;
            after = after->next;
        }
        record->next = after;
        (before ? before->next : head_) = record;
    }

    // Puts new contents into a stored record; a new name moves it to its
    // place. The record keeps its address either way, since it is the
    // first to be reused.
    T* replace_record(T* stored, const T& contents)
    {
        if (stored->name == contents.name) {
            T* next = stored->next;
            *stored = contents;
            stored->next = next;
            changed();
            return stored;
        }
        remove_record(stored);
        return insert_copy(contents);
    }

    // Unlinks a record and keeps it for reuse.
    void remove_record(T* record)
    {
        T* before = nullptr;
        T* r = head_;
        while (r && r != record) {
            before = r;
            r = r->next;
        }
        if (!r) report_fatal({"Failed to delete ", record->name});
        (before ? before->next : head_) = r->next;
        if (tail_ == r) tail_ = before;
        --count_;
        r->next = free_;
        free_ = r;
    }

    // Numbers the records 1..count in chain order.
    void renumber()
    {
        std::int32_t n = 0;
        for (T* r = head_; r; r = r->next) r->nr = ++n;
    }

    // Forgets every record; their storage stays with the pool.
    void clear()
    {
        head_ = tail_ = free_ = nullptr;
        count_ = 0;
    }

    // The records by the numbers they carry (entry n - 1 for number n): a
    // list just read holds the numbers of the file, which its name order
    // need not follow. Numbers outside 1..count leave no entry.
    std::vector<T*> by_number() const
    {
        std::vector<T*> records(static_cast<std::size_t>(count_), nullptr);
        for (T* r = head_; r; r = r->next)
            if (r->nr >= 1 && r->nr <= count_) records[static_cast<std::size_t>(r->nr - 1)] = r;
        return records;
    }

private:
    void changed()
    {
        if (on_change_) on_change_();
    }

    BlockPool* pool_;
    std::function<void()> on_change_;
    T* head_ = nullptr;
    T* tail_ = nullptr;
    T* free_ = nullptr;
    std::int32_t count_ = 0;
};

// 0 when name may name something, else 1 after a warning saying why. Names
// are single words shorter than size characters that the project file can
// carry as one field.
int check_name(std::string_view name, std::size_t size);

// check_name for a definition's name, which must also be new to the list
// unless it is the name the definition already has.
template <class T>
int check_new_name(const NamedList<T>& list, std::string_view name, std::string_view old_name)
{
    if (check_name(name, kNameSize) != 0) return 1;
    if (name == old_name) return 0;
    if (list.find_by_name(name)) {
        show_message(WARNING, {"May not use existing name"});
        return 1;
    }
    return 0;
}

// Copies of records with an int32 key, ascending by key, one per key.
template <class T>
class SortedList {
    using Store = std::vector<std::unique_ptr<T>>;

public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;

        iterator() = default;
        explicit iterator(typename Store::const_iterator it) : it_(it) {}
        T& operator*() const { return **it_; }
        T* operator->() const { return it_->get(); }
        iterator& operator++()
        {
            ++it_;
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const iterator&) const = default;

    private:
        typename Store::const_iterator it_;
    };

    // The stored copy, or null when the key is already there (the list is
    // then unchanged) or memory ran out.
    T* insert(const T& record)
    {
        try {
            auto place = std::lower_bound(records_.begin(), records_.end(), record.key,
                                          [](const std::unique_ptr<T>& r, std::int32_t key) {
                                              return r->key < key;
                                          });
            if (place != records_.end() && (*place)->key == record.key) return nullptr;
            auto copy = std::make_unique<T>(record);
            T* stored = copy.get();
            records_.insert(place, std::move(copy));
            return stored;
        } catch (const std::bad_alloc&) {
            report_error(ERROR, {"Memory allocation error."});
            return nullptr;
        }
    }

    // Drops record n (0 the first); returns the one that takes its place,
    // or null when there is none or no record n.
    T* remove_nth(std::size_t n)
    {
        if (n >= records_.size()) return nullptr;
        auto next = records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(n));
        return next == records_.end() ? nullptr : next->get();
    }

    void free_all() { records_.clear(); }

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    T* head() const { return records_.empty() ? nullptr : records_.front().get(); }
    iterator begin() const { return iterator(records_.begin()); }
    iterator end() const { return iterator(records_.end()); }

private:
    Store records_;
};

}  // namespace avelor
