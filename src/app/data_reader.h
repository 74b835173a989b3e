// The one way every text data file is read.
//
// A data file is a sequence of fields separated by blanks, tabs, commas and
// line ends; "!" starts a comment that runs to the end of its line, and a
// field beginning with "*" ends the data (the reader closes itself there).
// Typed reads turn the next field into a number, a time of day or a day of
// the year and report a bad field as a counted ERROR, so that a whole file is
// read to its end and judged by the error count. Nothing in a user's file can
// end the program.
//
// Text is handled as single-byte characters and never decoded. Files made on
// Windows read the same as files made here: a carriage return before a line
// feed is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>

namespace avelor {

// What read_field() takes from the file.
enum class FieldKind : int {
    Next = 0,             // the next field
    FirstOfNextLine = 1,  // the first field of the next line
    RestOfLine = 2,       // the rest of this line; "" when at its end
    NextDataLine = 3,     // the next line that does not begin with "!"
    NextLine = 4,         // the next line, comment or not (so is any kind above)
};

class DataReader {
public:
    // The default size of a field buffer: fields of up to 255 characters.
    static constexpr std::size_t kFieldSize = 256;
    static constexpr std::size_t kDefaultStreamChunk = 64 * 1024;

    // stream_chunk: bytes read at a time when a file is read as a stream.
    explicit DataReader(std::size_t stream_chunk = kDefaultStreamChunk);
    ~DataReader();
    DataReader(const DataReader&) = delete;
    DataReader& operator=(const DataReader&) = delete;

    // Opens a file for reading: 0 on success, 1 on failure. A missing file
    // is reported with the caller's module and line, fatal in mode 3 and a
    // counted ERROR otherwise; opening while a file is open is fatal.
    int open(const std::string& path, int mode,
             std::source_location where = std::source_location::current());
    int open_at(const std::string& path, int mode, std::string_view module_path, int line);
    void close();
    bool is_open() const { return open_; }
    // True while the open file is read through the chunk buffer.
    bool is_stream() const { return stream_ != nullptr; }

    // Byte positions in the file; seek's origin is 0 start, 1 current, 2 end.
    // seek answers 0 on success; tell answers -1 when no file is open.
    void rewind();
    std::int64_t tell() const;
    int seek(std::int64_t offset, int origin);

    // While set, files opened are read as streams rather than whole.
    void force_stream(bool flag) { force_stream_ = flag; }
    // While set, every character the reader takes for the first time is
    // copied to the run log.
    void set_echo(bool flag) { echo_ = flag; }

    // The older project-file layout the readers follow while they read a
    // file of an earlier version into the current records: 0 for the
    // current layout, 31 for version 3.1 (no values-file links, no species
    // Kuv, no five result switches, five more exposure values).
    int older_layout = 0;

    // The next field of the given kind, at most size - 1 characters (lines:
    // size - 2). nullopt at the end of the data or at a "*" field.
    std::optional<std::string> read_field(FieldKind kind = FieldKind::Next,
                                          std::size_t size = kFieldSize);
    // The characters up to the line end; the line feed is consumed.
    std::optional<std::string> read_line(std::size_t size = kFieldSize);

    // Typed reads of one field of the given kind. A bad field is a counted
    // ERROR naming the field, and so is a field missing at the end of the
    // data; the result is then as documented per read.
    std::int32_t read_int(FieldKind kind = FieldKind::Next);   // error: 0
    std::int32_t read_long(FieldKind kind = FieldKind::Next);  // error: 0
    // -32768..32767 / 0..65535 / 0..255; error: the low bits of a readable
    // integer, else 0.
    std::int16_t read_short(FieldKind kind = FieldKind::Next);
    std::uint16_t read_ushort(FieldKind kind = FieldKind::Next);
    std::uint8_t read_byte(FieldKind kind = FieldKind::Next);
    // Within the float range; error: the value read (clamped), else 0.
    float read_float(FieldKind kind = FieldKind::Next);
    // Error: 0.
    double read_number(FieldKind kind = FieldKind::Next);
    // Seconds 0..86400, as H:MM:SS, HH:MM:SS or whole seconds; error: the
    // value read, else 0.
    std::int32_t read_time(FieldKind kind = FieldKind::Next);
    // Day 1..365, as a month name and day ("Jan01", "jan 1") or a number;
    // error: the value read, else 0.
    int read_day(FieldKind kind = FieldKind::Next);
    // Day 1..365 from "m/d"; error: 0.
    int read_month_day(FieldKind kind = FieldKind::Next);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    static constexpr int kEnd = -1;

    int get()
    {
        if (pos_ == len_ && !refill()) return kEnd;
        const int c = static_cast<unsigned char>(buf_[pos_++]);
        if (echo_) [[unlikely]]
            echo_range(pos_ - 1, pos_);
        return c;
    }
    // Steps back over the character the last get() returned.
    void unget() { --pos_; }

    bool refill();
    void echo_range(std::size_t from, std::size_t end);
    int get_line_char();
    bool skip_line();
    bool take_field(FieldKind kind, std::size_t size);
    bool scan_field(std::size_t size);
    enum class LineEnd { LineFeed, EndOfData };
    LineEnd take_line(std::size_t size, bool& any);
    bool take_rest_of_line(std::size_t size);
    bool take_whole_line(bool skip_comments, std::size_t size);
    void report_bad_field(std::string_view tail);

    std::size_t chunk_;
    // The whole file, or the current chunk of a stream.
    std::unique_ptr<char[]> buf_;
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::int64_t base_ = 0;  // file position of buf_[0]
    std::int64_t size_ = -1;  // file size when known
    std::int64_t echo_mark_ = 0;
    std::unique_ptr<std::FILE, FileCloser> stream_;
    std::string field_;  // the last field read
    bool open_ = false;
    bool force_stream_ = false;
    bool echo_ = false;
};

}  // namespace avelor
