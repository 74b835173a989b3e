#include "app/data_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/text_convert.h"

namespace avelor {

namespace {

// How the field scan sees each byte: a delimiter ends a field and is left
// for the next read; a dropped byte (NUL, carriage return) vanishes inside a
// field. Between fields both kinds are skipped.
enum : std::uint8_t { kPlain = 0, kDelimiter = 1, kDropped = 2 };

constexpr std::array<std::uint8_t, 256> make_classes()
{
    std::array<std::uint8_t, 256> classes{};
    classes['\t'] = classes['\n'] = classes[' '] = classes[','] = kDelimiter;
    classes['\0'] = classes['\r'] = kDropped;
    return classes;
}
constexpr std::array<std::uint8_t, 256> kClass = make_classes();

unsigned char byte_of(char c) { return static_cast<unsigned char>(c); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
int digit_of(char c) { return c - '0'; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper_of(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char lower_of(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// An optionally signed run of decimal digits. `wide` marks a value beyond
// 64 bits; `value` always holds the true value's low 64 bits, so narrowing
// it gives the low bits callers fall back to.
struct IntField {
    bool ok = false;
    bool wide = false;
    bool negative = false;
    std::int64_t value = 0;
};

IntField parse_integer(std::string_view s)
{
    IntField r;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return r;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!is_digit(s[i])) return r;
        const auto d = static_cast<std::uint64_t>(digit_of(s[i]));
        if (v > (std::numeric_limits<std::uint64_t>::max() - d) / 10) r.wide = true;
        v = v * 10 + d;
    }
    const std::uint64_t limit = std::uint64_t{1} << 63;
    if (v > (negative ? limit : limit - 1)) r.wide = true;
    r.value = static_cast<std::int64_t>(negative ? 0 - v : v);
    r.negative = negative;
    r.ok = true;
    return r;
}

bool in_range(const IntField& f, std::int64_t low, std::int64_t high)
{
    return f.ok && !f.wide && f.value >= low && f.value <= high;
}

std::int32_t clamped_int32(const IntField& f)
{
    if (!f.ok) return 0;
    if (f.wide) return f.negative ? std::numeric_limits<std::int32_t>::min()
                                  : std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        f.value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Checks the plain decimal form [sign](digits[.digits]|.digits)[e[sign]digits]
// so that no "inf", "nan" or hexadecimal spelling gets through, and finds the
// decimal magnitude (power of ten of the leading non-zero digit, plus one)
// that tells an overflow from an underflow.
bool decimal_syntax(std::string_view s, std::int64_t& magnitude)
{
    constexpr std::int64_t kAllZero = std::numeric_limits<std::int32_t>::min();
    std::int64_t lead = kAllZero;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t integer_start = i;
    std::size_t first_nonzero = std::string_view::npos;
    for (; i < s.size() && is_digit(s[i]); ++i)
        if (first_nonzero == std::string_view::npos && s[i] != '0') first_nonzero = i;
    std::size_t digits = i - integer_start;
    if (first_nonzero != std::string_view::npos)
        lead = static_cast<std::int64_t>(i - first_nonzero);
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction_start = ++i;
        for (; i < s.size() && is_digit(s[i]); ++i)
            if (lead == kAllZero && s[i] != '0')
                lead = -static_cast<std::int64_t>(i - fraction_start);
        digits += i - fraction_start;
    }
    if (digits == 0) return false;
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        if (i == s.size()) return false;
        for (; i < s.size() && is_digit(s[i]); ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + digit_of(s[i]);
        if (negative) exponent = -exponent;
    }
    if (i != s.size()) return false;
    magnitude = lead + exponent;
    return true;
}

template <class T>
struct FloatField {
    bool ok = false;        // a valid field
    bool readable = false;  // a number, though maybe out of range
    T value = 0;
};

template <class T>
FloatField<T> parse_decimal(std::string_view s)
{
    std::int64_t magnitude = 0;
    if (!decimal_syntax(s, magnitude)) return {};
    // from_chars follows the C locale and takes no "+".
    const char* first = s.data();
    const char* last = first + s.size();
    const bool negative = *first == '-';
    if (*first == '+') ++first;
    T value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc{} && end == last) return {true, true, value};
    if (ec != std::errc::result_out_of_range) return {};
    if (magnitude > 0) {
        const T max = std::numeric_limits<T>::max();
        return {false, true, negative ? -max : max};
    }
    // Too small to tell from zero is still a number, not a fault in the file.
    const T zero = 0;
    return {true, true, negative ? -zero : zero};
}

struct Checked {
    bool ok = false;
    std::int64_t value = 0;
};

// H:MM:SS or HH:MM:SS, the hour at most 24, the whole at most 24:00:00.
Checked parse_clock_time(std::string_view s)
{
    const std::size_t hour_digits = s[1] == ':' ? 1 : 2;
    if (s.size() != hour_digits + 6 || s[hour_digits] != ':' || s[hour_digits + 3] != ':')
        return {};
    for (std::size_t i : {std::size_t{0}, hour_digits - 1, hour_digits + 1, hour_digits + 2,
                          hour_digits + 4, hour_digits + 5})
        if (!is_digit(s[i])) return {};
    const int hours = hour_digits == 1 ? digit_of(s[0]) : digit_of(s[0]) * 10 + digit_of(s[1]);
    const char* m = s.data() + hour_digits + 1;
    const char* sec = m + 3;
    const int minutes = digit_of(m[0]) * 10 + digit_of(m[1]);
    const int seconds = digit_of(sec[0]) * 10 + digit_of(sec[1]);
    const std::int64_t total = hours * 3600 + minutes * 60 + seconds;
    const bool ok = hours <= 24 && m[0] <= '5' && sec[0] <= '5' && total <= kSecondsInDay;
    return {ok, total};
}

Checked parse_time(std::string_view s)
{
    if ((s.size() > 1 && s[1] == ':') || (s.size() > 2 && s[2] == ':')) return parse_clock_time(s);
    const IntField f = parse_integer(s);
    return {in_range(f, 0, kSecondsInDay), clamped_int32(f)};
}

// Month name and day in any order of letters, digits and blanks ("Jan01",
// "jan 1"): the first letter is matched upper case, the others lower case.
Checked parse_month_name_day(std::string_view s)
{
    std::string name;
    int number = 0;
    int digits = 0;
    bool ok = true;
    for (char c : s) {
        if (is_letter(c)) {
            if (name.size() == 3) ok = false;
            else name.push_back(name.empty() ? upper_of(c) : lower_of(c));
        } else if (is_digit(c)) {
            if (digits == 2) ok = false;
            else number = number * 10 + digit_of(c), ++digits;
        } else if (c != ' ') {
            ok = false;
        }
    }
    const auto month = std::find(month_names.begin(), month_names.end(), name);
    if (month == month_names.end()) return {};
    const auto index = static_cast<std::size_t>(month - month_names.begin());
    ok = ok && number >= 1 && number <= month_days[index];
    return {ok, days_before_month[index] + number};
}

Checked parse_day(std::string_view s)
{
    if (s.size() > 2 && is_letter(s[2])) return parse_month_name_day(s);
    const IntField f = parse_integer(s);
    return {in_range(f, 1, kDaysInYear), clamped_int32(f)};
}

// A run of one to four decimal digits (more could never be a month or day).
bool small_number(std::string_view s, int& value)
{
    if (s.empty() || s.size() > 4) return false;
    value = 0;
    for (char c : s) {
        if (!is_digit(c)) return false;
        value = value * 10 + digit_of(c);
    }
    return true;
}

Checked parse_month_day(std::string_view s)
{
    const std::size_t slash = s.find('/');
    if (slash == std::string_view::npos) return {};
    int month = 0;
    int day = 0;
    if (!small_number(s.substr(0, slash), month) || !small_number(s.substr(slash + 1), day))
        return {};
    if (month < 1 || month > 12) return {};
    const auto index = static_cast<std::size_t>(month - 1);
    if (day < 1 || day > month_days[index]) return {};
    return {true, days_before_month[index] + day};
}

// The buffer a whole file is read into; the read fills it, so it is not
// cleared first. A large buffer's pages are first touched by that read, and
// with ordinary pages the faults alone cost more than all the parsing after
// it; on Linux, huge pages make that one fault per 2 MB instead of per 4 KB.
std::unique_ptr<char[]> file_buffer(std::size_t size)
{
    auto buffer = std::make_unique_for_overwrite<char[]>(size);
#ifdef __linux__
    constexpr std::size_t kHugeWorthwhile = std::size_t{4} << 20;
    const long page = sysconf(_SC_PAGESIZE);
    if (size >= kHugeWorthwhile && page > 0) {
        const auto mask = ~(static_cast<std::uintptr_t>(page) - 1);
        const auto first = reinterpret_cast<std::uintptr_t>(buffer.get());
        const auto start = (first + static_cast<std::uintptr_t>(page) - 1) & mask;
        const auto end = (first + size) & mask;
        // Only a hint: refused, the buffer works the same.
        if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#endif
    return buffer;
}

}  // namespace

DataReader::DataReader(std::size_t stream_chunk)
    // A refill keeps the last byte of the previous chunk, so a chunk must
    // have room for at least one new byte beside it.
    : chunk_(std::max<std::size_t>(stream_chunk, 2))
{
    field_.reserve(kFieldSize);
}

DataReader::~DataReader() = default;

int DataReader::open(const std::string& path, int mode, std::source_location where)
{
    return open_at(path, mode, where.file_name(), static_cast<int>(where.line()));
}

int DataReader::open_at(const std::string& path, int mode, std::string_view module_path, int line)
{
    if (open_) report_fatal_at(module_path, line, {"fg_unxt already open"});
    auto cannot_open = [&] {
        report_error_at(mode == 3 ? FATAL : ERROR, module_path, line,
                        {" Could not open file: ", path});
        return 1;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return cannot_open();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return cannot_open();

    const auto size = std::filesystem::file_size(path, ec);
    size_ = ec ? -1 : static_cast<std::int64_t>(size);
    pos_ = len_ = 0;
    base_ = 0;
    echo_mark_ = 0;
    field_.clear();

    bool whole = false;
    if (!force_stream_ && size_ >= 0) {
        try {
            buf_ = file_buffer(static_cast<std::size_t>(size_));
            capacity_ = static_cast<std::size_t>(size_);
            whole = true;
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    }
    if (whole) {
        len_ = std::fread(buf_.get(), 1, capacity_, file.get());
    } else {
        // The chunk buffer is ours; a second one inside stdio would only copy.
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
        buf_ = std::make_unique_for_overwrite<char[]>(chunk_);
        capacity_ = chunk_;
        stream_ = std::move(file);
    }
    open_ = true;
    return 0;
}

void DataReader::close()
{
    std::FILE* stream = stream_.release();
    buf_.reset();
    capacity_ = 0;
    pos_ = len_ = 0;
    base_ = 0;
    size_ = -1;
    open_ = false;
    if (stream && std::fclose(stream) != 0) report_fatal({"Problem while closing fg_unxt"});
}

void DataReader::rewind() { seek(0, 0); }

std::int64_t DataReader::tell() const
{
    return open_ ? base_ + static_cast<std::int64_t>(pos_) : -1;
}

int DataReader::seek(std::int64_t offset, int origin)
{
    if (!open_) return 1;
    std::int64_t from = 0;
    switch (origin) {
    case 0: from = 0; break;
    case 1: from = tell(); break;
    case 2:
        if (size_ < 0) return 1;
        from = size_;
        break;
    default: return 1;
    }
    if (offset > 0 && from > std::numeric_limits<std::int64_t>::max() - offset) return 1;
    const std::int64_t target = from + offset;
    if (target < 0) return 1;
    const std::int64_t end = stream_ ? size_ : static_cast<std::int64_t>(len_);
    if (end >= 0 && target > end) return 1;
    if (target >= base_ && target <= base_ + static_cast<std::int64_t>(len_)) {
        pos_ = static_cast<std::size_t>(target - base_);
        return 0;
    }
    if (!stream_ || std::fseek(stream_.get(), static_cast<long>(target), SEEK_SET) != 0) return 1;
    base_ = target;
    pos_ = len_ = 0;
    return 0;
}

bool DataReader::refill()
{
    if (!stream_) return false;
    // Keep the last byte taken so that it can still be put back.
    const std::size_t keep = len_ > 0 ? 1 : 0;
    if (keep) buf_[0] = buf_[len_ - 1];
    base_ += static_cast<std::int64_t>(len_ - keep);
    const std::size_t got = std::fread(buf_.get() + keep, 1, capacity_ - keep, stream_.get());
    len_ = keep + got;
    pos_ = keep;
    return got > 0;
}

// Copies the window's bytes [from, end) to the run log, except those copied
// before: a character put back and taken again is logged once.
void DataReader::echo_range(std::size_t from, std::size_t end)
{
    const std::int64_t last = base_ + static_cast<std::int64_t>(end);
    if (last <= echo_mark_) return;
    const std::int64_t first = std::max(echo_mark_, base_ + static_cast<std::int64_t>(from));
    run_log().write(std::string_view(buf_.get() + (first - base_),
                                     static_cast<std::size_t>(last - first)));
    echo_mark_ = last;
}

// The next character, with a carriage return before a line feed folded into
// the line feed.
int DataReader::get_line_char()
{
    const int c = get();
    if (c != '\r') return c;
    const int next = get();
    if (next == '\n') return '\n';
    if (next != kEnd) unget();
    return '\r';
}

bool DataReader::skip_line()
{
    for (;;) {
        if (pos_ == len_ && !refill()) return false;
        const std::size_t from = pos_;
        const void* hit = std::memchr(buf_.get() + pos_, '\n', len_ - pos_);
        pos_ = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - buf_.get()) + 1
                   : len_;
        if (echo_) echo_range(from, pos_);
        if (hit) return true;
    }
}

bool DataReader::scan_field(std::size_t size)
{
    field_.clear();
    for (;;) {
        const int c = get();
        if (c == kEnd) return false;
        if (kClass[static_cast<std::size_t>(c)] != kPlain) continue;
        if (c == '!') {
            skip_line();
            continue;
        }
        if (c == '*') {
            close();
            return false;
        }
        unget();
        break;
    }

    const std::size_t limit = size > 0 ? size - 1 : 0;
    for (;;) {
        if (pos_ == len_ && !refill()) return true;
        // Take the plain run in one piece: this loop is what every typed
        // read of a large file spends its time in.
        const char* data = buf_.get();
        std::size_t run = pos_;
        while (run < len_ && kClass[byte_of(data[run])] == kPlain) ++run;
        const std::size_t room = limit - field_.size();
        if (run - pos_ > room) {
            field_.append(data + pos_, room);
            if (echo_) echo_range(pos_, pos_ + room);
            pos_ += room;
            report_error(ERROR, {"Buffer overflow: ", field_});
            // The rest of the field is lost; the reading goes on after it.
            for (int c = get(); c != kEnd; c = get()) {
                if (kClass[static_cast<std::size_t>(c)] == kDelimiter) {
                    unget();
                    break;
                }
            }
            return true;
        }
        field_.append(data + pos_, run - pos_);
        if (run < len_ && kClass[byte_of(data[run])] == kDropped) ++run;
        if (echo_) echo_range(pos_, run);
        pos_ = run;
        if (pos_ < len_ && kClass[byte_of(data[pos_])] == kDelimiter) return true;
    }
}

DataReader::LineEnd DataReader::take_line(std::size_t size, bool& any)
{
    field_.clear();
    any = false;
    // A line buffer also holds the line feed, so size - 2 characters fit.
    const std::size_t limit = size > 2 ? size - 2 : 0;
    for (;;) {
        const int c = get_line_char();
        if (c == kEnd) return LineEnd::EndOfData;
        any = true;
        if (c == '\n') return LineEnd::LineFeed;
        if (field_.size() == limit) {
            report_error(ERROR, {"Buffer overflow: ", field_});
            return skip_line() ? LineEnd::LineFeed : LineEnd::EndOfData;
        }
        field_.push_back(static_cast<char>(c));
    }
}

bool DataReader::take_rest_of_line(std::size_t size)
{
    const int c = get_line_char();
    if (c == kEnd) {
        field_.clear();
        return false;
    }
    if (c == '\n') {
        unget();
        field_.clear();
        return true;
    }
    if (c != ' ') unget();
    bool any = false;
    if (take_line(size, any) == LineEnd::LineFeed) unget();
    return true;
}

bool DataReader::take_whole_line(bool skip_comments, std::size_t size)
{
    const int c = get_line_char();
    if (c == kEnd) {
        field_.clear();
        return false;
    }
    if (c != '\n') skip_line();
    for (;;) {
        bool any = false;
        const LineEnd end = take_line(size, any);
        if (!any) return false;
        if (skip_comments && !field_.empty() && field_.front() == '!') continue;
        if (end == LineEnd::LineFeed) unget();
        return true;
    }
}

bool DataReader::take_field(FieldKind kind, std::size_t size)
{
    if (!open_) {
        field_.clear();
        return false;
    }
    switch (kind) {
    case FieldKind::Next: {
        const int c = get();
        if (c == kEnd) {
            field_.clear();
            return false;
        }
        if (c != ' ' && c != '\t' && c != ',' && c != '\n') unget();
        return scan_field(size);
    }
    case FieldKind::FirstOfNextLine: {
        const int c = get_line_char();
        if (c == kEnd) {
            field_.clear();
            return false;
        }
        if (c != '\n') skip_line();
        return scan_field(size);
    }
    case FieldKind::RestOfLine: return take_rest_of_line(size);
    case FieldKind::NextDataLine: return take_whole_line(true, size);
    default: return take_whole_line(false, size);
    }
}

std::optional<std::string> DataReader::read_field(FieldKind kind, std::size_t size)
{
    if (!take_field(kind, size)) return std::nullopt;
    return field_;
}

std::optional<std::string> DataReader::read_line(std::size_t size)
{
    if (!open_) return std::nullopt;
    bool any = false;
    take_line(size, any);
    if (!any) return std::nullopt;
    return field_;
}

// Messages that begin with the field; an empty field (the data ran out)
// would end the pieces early, so it is left out.
void DataReader::report_bad_field(std::string_view tail)
{
    if (field_.empty())
        report_error(ERROR, {tail});
    else
        report_error(ERROR, {field_, tail});
}

std::int32_t DataReader::read_int(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const IntField f = parse_integer(field_);
    if (in_range(f, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
        return static_cast<std::int32_t>(f.value);
    report_error(ERROR, {"Bad integer: ", field_});
    return 0;
}

std::int32_t DataReader::read_long(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const IntField f = parse_integer(field_);
    if (in_range(f, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
        return static_cast<std::int32_t>(f.value);
    report_error(ERROR, {"Bad long integer: ", field_});
    return 0;
}

std::int16_t DataReader::read_short(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const IntField f = parse_integer(field_);
    if (!in_range(f, -32768, 32767)) report_error(ERROR, {"Bad short integer: ", field_});
    return f.ok ? static_cast<std::int16_t>(f.value) : std::int16_t{0};
}

std::uint16_t DataReader::read_ushort(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const IntField f = parse_integer(field_);
    if (!in_range(f, 0, 65535)) report_error(ERROR, {"Bad short unsigned integer: ", field_});
    return f.ok ? static_cast<std::uint16_t>(f.value) : std::uint16_t{0};
}

std::uint8_t DataReader::read_byte(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const IntField f = parse_integer(field_);
    if (!in_range(f, 0, 255)) report_error(ERROR, {"Bad 8-bit unsigned integer: ", field_});
    return f.ok ? static_cast<std::uint8_t>(f.value) : std::uint8_t{0};
}

float DataReader::read_float(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const FloatField<float> f = parse_decimal<float>(field_);
    if (f.ok) return f.value;
    report_error(ERROR, {"Bad float value: ", field_});
    return f.readable ? f.value : 0.0f;
}

double DataReader::read_number(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const FloatField<double> f = parse_decimal<double>(field_);
    if (f.ok) return f.value;
    report_bad_field(" is not a (valid) number");
    return 0.0;
}

std::int32_t DataReader::read_time(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const Checked t = parse_time(field_);
    if (!t.ok) report_bad_field(" is not a valid time");
    return static_cast<std::int32_t>(t.value);
}

int DataReader::read_day(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const Checked d = parse_day(field_);
    if (!d.ok) report_bad_field(" is not a valid date");
    return static_cast<int>(d.value);
}

int DataReader::read_month_day(FieldKind kind)
{
    take_field(kind, kFieldSize);
    const Checked d = parse_month_day(field_);
    if (d.ok) return static_cast<int>(d.value);
    report_bad_field(" is not a valid mm/dd date");
    return 0;
}

}  // namespace avelor
