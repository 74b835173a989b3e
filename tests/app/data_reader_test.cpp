#include "app/data_reader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::ScriptedPort;
using testing::read_file;

// A file under the test's temporary folder, named after the running test so
// that tests run in parallel never share one.
std::string temp_path(const std::string& tag)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" + tag;
    for (char& c : name)
        if (c == '/') c = '_';
    return ::testing::TempDir() + name;
}

std::string write_file(const std::string& tag, const std::string& content)
{
    const std::string path = temp_path(tag);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::string shown(const std::optional<std::string>& field) { return field ? *field : "<null>"; }

// The start of a reported message's box text: " " + pieces + "\n".
std::string message(const std::string& text) { return " " + text + "\n"; }

bool starts_with(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// Reads a file to its end with every kind of read in turn and writes down
// what each read gave and where the reader stood after it.
struct Transcript {
    std::vector<std::string> fields;
    std::vector<std::int64_t> positions;
    int errors = 0;
};

Transcript transcribe(const std::string& path, bool stream, std::size_t chunk)
{
    Transcript t;
    DataReader reader(chunk);
    reader.force_stream(stream);
    EXPECT_EQ(reader.open(path, 0), 0);
    EXPECT_EQ(reader.is_stream(), stream);
    const int before = error_count();
    static const FieldKind kinds[] = {FieldKind::Next,       FieldKind::Next,
                                      FieldKind::RestOfLine, FieldKind::FirstOfNextLine,
                                      FieldKind::Next,       FieldKind::NextDataLine,
                                      FieldKind::Next,       FieldKind::NextLine,
                                      FieldKind::RestOfLine, FieldKind::Next};
    for (std::size_t i = 0; i < 10'000; ++i) {
        std::optional<std::string> field;
        if (i % 11 == 10)
            field = reader.read_line();
        else
            field = reader.read_field(kinds[i % std::size(kinds)]);
        t.fields.push_back(shown(field));
        t.positions.push_back(reader.tell());
        if (!field) break;
    }
    t.errors = error_count() - before;
    return t;
}

// Lines of every sort the reader meets: fields between blanks, tabs and
// commas, comments, blank lines, a long line and an over-long field.
std::string varied_text()
{
    std::string text = "AvelorW 3.2 ! header\n"
                       "12,  3.5\t7 !comment\n"
                       "\n"
                       "! a whole comment line\n"
                       " !not skipped by kind 3\n"
                       "name  with   blanks , and commas,,\n"
                       "\t\ttabbed\tfields\t\n";
    text += std::string(300, 'x') + " 42 " + std::string(40, 'y') + "\n";
    for (int i = 0; i < 20; ++i)
        text += std::to_string(i * 37) + " " + std::to_string(i) + ".25e1, 0" +
                std::to_string(i % 10) + ":30:00 word" + std::to_string(i) + " ! note " +
                std::to_string(i) + "\n";
    text += "last line without end";
    return text;
}

TEST(Reader, CommentedLineGivesThreeFieldsThenTheNextLine)
{
    ScriptedPort port;
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", "12,  3.5\t7 !comment\nnext 8\n"), 0), 0);
    EXPECT_EQ(reader.read_int(), 12);
    EXPECT_EQ(reader.read_float(), 3.5f);
    EXPECT_EQ(reader.read_int(), 7);
    EXPECT_EQ(shown(reader.read_field()), "next");
    EXPECT_EQ(reader.read_int(), 8);
    EXPECT_EQ(shown(reader.read_field()), "<null>");
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(Reader, FieldKindsTakeFieldsLinesAndRestsOfLines)
{
    ScriptedPort port;
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", "a b c\n"
                                             "d e\n"
                                             "! note\n"
                                             " !x\n"
                                             "f g\n"
                                             "! kept by kind 4\n"
                                             "h\n"),
                          0),
              0);
    EXPECT_EQ(shown(reader.read_field(FieldKind::Next)), "a");
    // The leading blank is dropped, and the line end stays for the next read.
    EXPECT_EQ(shown(reader.read_field(FieldKind::RestOfLine)), "b c");
    EXPECT_EQ(shown(reader.read_field(FieldKind::RestOfLine)), "");
    EXPECT_EQ(shown(reader.read_field(FieldKind::FirstOfNextLine)), "d");
    EXPECT_EQ(shown(reader.read_field(FieldKind::NextDataLine)), " !x");
    EXPECT_EQ(shown(reader.read_field(FieldKind::FirstOfNextLine)), "f");
    EXPECT_EQ(shown(reader.read_field(FieldKind::NextLine)), "! kept by kind 4");
    EXPECT_EQ(shown(reader.read_field(FieldKind::Next)), "h");
    EXPECT_EQ(shown(reader.read_field(FieldKind::NextLine)), "<null>");
    EXPECT_EQ(shown(reader.read_field(FieldKind::RestOfLine)), "<null>");
    EXPECT_TRUE(port.boxes.empty());
}

TEST(Reader, ReadLineTakesWholeLinesWithoutTheLineFeed)
{
    ScriptedPort port;
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", "first, line !x\n\n  third"), 0), 0);
    EXPECT_EQ(shown(reader.read_line()), "first, line !x");
    EXPECT_EQ(shown(reader.read_line()), "");
    EXPECT_EQ(shown(reader.read_line()), "  third");
    EXPECT_EQ(shown(reader.read_line()), "<null>");
}

TEST(Reader, StarFieldEndsTheDataAndClosesTheReader)
{
    ScriptedPort port;
    DataReader reader;
    const std::string path = write_file("data", "1 2\n* end of data\n3\n");
    ASSERT_EQ(reader.open(path, 0), 0);
    EXPECT_EQ(reader.read_int(), 1);
    EXPECT_EQ(reader.read_int(), 2);
    EXPECT_EQ(shown(reader.read_field()), "<null>");
    EXPECT_FALSE(reader.is_open());
    EXPECT_EQ(shown(reader.read_field()), "<null>");
    EXPECT_EQ(reader.tell(), -1);
    // Closed by the data, the reader takes the next file without complaint.
    EXPECT_EQ(reader.open(path, 0), 0);
    EXPECT_EQ(error_count(), 0);
}

TEST(Reader, WindowsLineEndsReadLikeUnixLineEnds)
{
    ScriptedPort port;
    const std::string text = varied_text();
    const Transcript unix_made = transcribe(write_file("lf", text), false, 16);
    const Transcript windows_made = transcribe(write_file("crlf", crlf(text)), false, 16);
    EXPECT_EQ(windows_made.fields, unix_made.fields);
    EXPECT_EQ(windows_made.errors, unix_made.errors);
    // The transcript must run through the whole file, not stop early.
    EXPECT_GT(unix_made.fields.size(), 40u);
}

TEST(Reader, StreamReadsTheSameAsWholeFileAcrossChunkBoundaries)
{
    ScriptedPort port;
    for (const std::string& text : {varied_text(), crlf(varied_text())}) {
        const std::string path = write_file("data", text);
        const Transcript whole = transcribe(path, false, 4096);
        for (std::size_t chunk : {2u, 3u, 5u, 7u, 64u, 4096u}) {
            SCOPED_TRACE(chunk);
            const Transcript streamed = transcribe(path, true, chunk);
            EXPECT_EQ(streamed.fields, whole.fields);
            EXPECT_EQ(streamed.positions, whole.positions);
            EXPECT_EQ(streamed.errors, whole.errors);
        }
    }
}

TEST(Reader, TellAndSeekMoveWithinTheFileInBothModes)
{
    ScriptedPort port;
    const std::string path = write_file("data", "alpha beta\ngamma\n");
    for (bool stream : {false, true}) {
        SCOPED_TRACE(stream);
        DataReader reader(3);
        reader.force_stream(stream);
        ASSERT_EQ(reader.open(path, 0), 0);
        EXPECT_EQ(reader.tell(), 0);
        EXPECT_EQ(shown(reader.read_field()), "alpha");
        EXPECT_EQ(reader.tell(), 5);
        EXPECT_EQ(shown(reader.read_field()), "beta");
        EXPECT_EQ(reader.seek(-6, 2), 0);
        EXPECT_EQ(shown(reader.read_field()), "gamma");
        EXPECT_EQ(reader.seek(6, 0), 0);
        EXPECT_EQ(shown(reader.read_field()), "beta");
        EXPECT_EQ(reader.seek(-4, 1), 0);
        EXPECT_EQ(shown(reader.read_field()), "beta");
        // Positions outside the file are refused and leave the reader put.
        EXPECT_NE(reader.seek(-1, 0), 0);
        EXPECT_NE(reader.seek(1, 2), 0);
        EXPECT_NE(reader.seek(0, 7), 0);
        EXPECT_EQ(reader.tell(), 10);
        reader.rewind();
        EXPECT_EQ(shown(reader.read_field()), "alpha");
    }
}

TEST(Reader, EmptyFileIsEmptyData)
{
    ScriptedPort port;
    const std::string path = write_file("data", "");
    for (bool stream : {false, true}) {
        DataReader reader;
        reader.force_stream(stream);
        ASSERT_EQ(reader.open(path, 0), 0);
        EXPECT_EQ(shown(reader.read_field()), "<null>");
        EXPECT_EQ(shown(reader.read_line()), "<null>");
    }
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(Reader, OverlongFieldIsCountedAndTheReadingGoesOn)
{
    ScriptedPort port;
    const std::string longest(255, 'a');
    const std::string too_long = std::string(254, 'b') + "cdef";
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", longest + " " + too_long + ",42\nabcdef 7\n"), 0), 0);
    EXPECT_EQ(shown(reader.read_field()), longest);
    EXPECT_EQ(error_count(), 0);

    EXPECT_EQ(shown(reader.read_field()), std::string(254, 'b') + "c");
    EXPECT_EQ(error_count(), 1);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_TRUE(starts_with(port.boxes[0].text, " Buffer overflow: bbbb"));
    EXPECT_EQ(reader.read_int(), 42);

    // A caller's smaller buffer.
    EXPECT_EQ(shown(reader.read_field(FieldKind::Next, 4)), "abc");
    EXPECT_TRUE(starts_with(port.boxes.back().text, message("Buffer overflow: abc")));
    EXPECT_EQ(reader.read_int(), 7);
    EXPECT_EQ(error_count(), 2);
}

TEST(Reader, OverlongLineIsCountedAndTheNextLineReadsWhole)
{
    ScriptedPort port;
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", "abcdefghijkl\nnext\nhead\nmnopqrstuvwx\n5\n"), 0), 0);
    // A line may hold size - 2 characters.
    EXPECT_EQ(shown(reader.read_line(10)), "abcdefgh");
    EXPECT_TRUE(starts_with(port.boxes.at(0).text, message("Buffer overflow: abcdefgh")));
    EXPECT_EQ(shown(reader.read_line(10)), "next");
    EXPECT_EQ(shown(reader.read_field(FieldKind::NextDataLine, 6)), "mnop");
    EXPECT_EQ(reader.read_int(), 5);
    EXPECT_EQ(error_count(), 2);
}

TEST(Reader, OpeningWhileOpenIsFatalWithTheCallersPlace)
{
    ScriptedPort port;
    DataReader reader;
    const std::string path = write_file("data", "1\n");
    ASSERT_EQ(reader.open(path, 0), 0);
    EXPECT_THROW(reader.open(path, 0), FatalStop);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "FATAL");
    EXPECT_TRUE(starts_with(port.boxes[0].text, message("fg_unxt already open")));
    EXPECT_NE(port.boxes[0].text.find("(file data_reader_tes, line "), std::string::npos);
}

TEST(Reader, MissingFileIsAnErrorOrInModeThreeFatal)
{
    ScriptedPort port;
    const std::string path = temp_path("missing");
    DataReader reader;
    EXPECT_EQ(reader.open(path, 0), 1);
    EXPECT_FALSE(reader.is_open());
    EXPECT_EQ(error_count(), 1);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_TRUE(starts_with(port.boxes[0].text, message(" Could not open file: " + path)));

    EXPECT_EQ(reader.open(::testing::TempDir(), 1), 1);  // a folder is no file
    EXPECT_EQ(error_count(), 2);

    EXPECT_THROW(reader.open(path, 3), FatalStop);
    EXPECT_EQ(port.boxes.back().caption, "FATAL");
    EXPECT_EQ(error_count(), 2);
}

TEST(Reader, EchoLogsEachCharacterTakenOnce)
{
    ScriptedPort port;
    const std::string text = "a b, c\n! c\nrest of  line\n 12 x\r\n\nlast\n* end\nafter\n";
    const std::string data = write_file("data", text);
    for (bool stream : {false, true}) {
        SCOPED_TRACE(stream);
        const std::string log_path = temp_path(stream ? "stream.log" : "whole.log");
        ASSERT_TRUE(run_log().open(log_path));
        DataReader reader(3);
        reader.force_stream(stream);
        reader.set_echo(true);
        ASSERT_EQ(reader.open(data, 0), 0);
        EXPECT_EQ(shown(reader.read_field()), "a");
        EXPECT_EQ(shown(reader.read_field(FieldKind::RestOfLine)), "b, c");
        EXPECT_EQ(shown(reader.read_field(FieldKind::NextDataLine)), "rest of  line");
        EXPECT_EQ(reader.read_int(), 12);
        // Going back over text already logged does not log it again.
        EXPECT_EQ(reader.seek(0, 0), 0);
        EXPECT_EQ(shown(reader.read_field()), "a");
        EXPECT_EQ(reader.seek(-1, 1), 0);
        EXPECT_EQ(shown(reader.read_field()), "a");
        EXPECT_EQ(reader.seek(28, 0), 0);
        EXPECT_EQ(shown(reader.read_field()), "x");
        EXPECT_EQ(shown(reader.read_field(FieldKind::NextLine)), "");
        EXPECT_EQ(shown(reader.read_line()), "");
        EXPECT_EQ(shown(reader.read_field()), "last");
        EXPECT_EQ(shown(reader.read_field()), "<null>");
        run_log().close();
        EXPECT_EQ(read_file(log_path), text.substr(0, text.find('*') + 1));
    }
}

// One field per line, each read by its own typed read: the value it gives
// and the message it reports ("" for none).
struct TypedCase {
    std::string field;
    std::function<double(DataReader&)> read;
    double expected;
    std::string error;
};

void check_typed_reads(const std::vector<TypedCase>& cases, FieldKind kind)
{
    ScriptedPort port;
    // Line reads skip the rest of the line they start on.
    std::string text = kind == FieldKind::Next ? "" : "header\n";
    for (const TypedCase& c : cases) text += c.field + "\n";
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("cases", text), 0), 0);
    for (const TypedCase& c : cases) {
        SCOPED_TRACE("field \"" + c.field + "\"");
        const std::size_t boxes = port.boxes.size();
        const int errors = error_count();
        EXPECT_EQ(c.read(reader), c.expected);
        if (c.error.empty()) {
            EXPECT_EQ(port.boxes.size(), boxes);
            continue;
        }
        EXPECT_EQ(error_count(), errors + 1);
        ASSERT_EQ(port.boxes.size(), boxes + 1);
        EXPECT_TRUE(starts_with(port.boxes.back().text, message(c.error)))
            << port.boxes.back().text;
    }
}

const auto as_int = [](DataReader& r) { return double(r.read_int()); };
const auto as_long = [](DataReader& r) { return double(r.read_long()); };
const auto as_short = [](DataReader& r) { return double(r.read_short()); };
const auto as_ushort = [](DataReader& r) { return double(r.read_ushort()); };
const auto as_byte = [](DataReader& r) { return double(r.read_byte()); };
const auto as_float = [](DataReader& r) { return double(r.read_float()); };
const auto as_number = [](DataReader& r) { return r.read_number(); };

TEST(Reader, IntegerFieldsAreCheckedAgainstTheirWidth)
{
    check_typed_reads(
        {
            {"12a", as_int, 0, "Bad integer: 12a"},
            {"+17", as_int, 17, ""},
            {"-2147483648", as_int, -2147483648.0, ""},
            {"3000000000", as_int, 0, "Bad integer: 3000000000"},
            {"0x10", as_int, 0, "Bad integer: 0x10"},
            {"1.0", as_int, 0, "Bad integer: 1.0"},
            {"-", as_int, 0, "Bad integer: -"},
            {"+-5", as_int, 0, "Bad integer: +-5"},
            {"2147483647", as_long, 2147483647.0, ""},
            {"2147483648", as_long, 0, "Bad long integer: 2147483648"},
            {"-32768", as_short, -32768, ""},
            {"40000", as_short, -25536, "Bad short integer: 40000"},
            {"99999999999999999999", as_short, -1, "Bad short integer: 99999999999999999999"},
            {"abc", as_short, 0, "Bad short integer: abc"},
            {"65535", as_ushort, 65535, ""},
            {"-1", as_ushort, 65535, "Bad short unsigned integer: -1"},
            {"65536", as_ushort, 0, "Bad short unsigned integer: 65536"},
            {"255", as_byte, 255, ""},
            {"300", as_byte, 44, "Bad 8-bit unsigned integer: 300"},
            {"-0", as_byte, 0, ""},
        },
        FieldKind::Next);
}

TEST(Reader, FloatFieldsAreDecimalAndWithinRange)
{
    const double float_max = FLT_MAX;
    check_typed_reads(
        {
            {"1", as_float, 1, ""},
            {"-1.5", as_float, -1.5, ""},
            {".5", as_float, 0.5, ""},
            {"5.", as_float, 5, ""},
            {"1e-3", as_float, double(1e-3f), ""},
            {"+2E+05", as_float, 200000, ""},
            {"3.4028235e38", as_float, float_max, ""},
            {"1e-60", as_float, 0, ""},
            {"1e39", as_float, float_max, "Bad float value: 1e39"},
            {"-1e39", as_float, -float_max, "Bad float value: -1e39"},
            {"1e400", as_float, float_max, "Bad float value: 1e400"},
            {"nan", as_float, 0, "Bad float value: nan"},
            {"inf", as_float, 0, "Bad float value: inf"},
            {"-infinity", as_float, 0, "Bad float value: -infinity"},
            {"0x1p3", as_float, 0, "Bad float value: 0x1p3"},
            {"1.5x", as_float, 0, "Bad float value: 1.5x"},
            {".", as_float, 0, "Bad float value: ."},
            {"1e", as_float, 0, "Bad float value: 1e"},
            {"e5", as_float, 0, "Bad float value: e5"},
            {"1e308", as_number, 1e308, ""},
            {"-0.000123", as_number, -0.000123, ""},
            {"1e39", as_number, 1e39, ""},
            {"1e309", as_number, 0, "1e309 is not a (valid) number"},
            {"NaN", as_number, 0, "NaN is not a (valid) number"},
            {"1,5", as_number, 1, ""},  // a comma separates two fields
            {"5", as_number, 5, ""},
        },
        FieldKind::Next);
}

TEST(Reader, TypedReadPastTheEndReportsTheMissingField)
{
    ScriptedPort port;
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("data", "1\n"), 0), 0);
    EXPECT_EQ(reader.read_int(), 1);
    EXPECT_EQ(reader.read_int(), 0);
    EXPECT_EQ(reader.read_number(), 0);
    EXPECT_EQ(error_count(), 2);
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_TRUE(starts_with(port.boxes[0].text, message("Bad integer: ")));
    EXPECT_TRUE(starts_with(port.boxes[1].text, message(" is not a (valid) number")));
}

const auto as_time = [](DataReader& r) { return double(r.read_time()); };
const auto as_day = [](DataReader& r) { return double(r.read_day(FieldKind::NextDataLine)); };
const auto as_month_day = [](DataReader& r) { return double(r.read_month_day()); };

TEST(ReadTime, ClockAndSecondForms)
{
    check_typed_reads(
        {
            {"24:00:00", as_time, 86400, ""},
            {"86400", as_time, 86400, ""},
            {"7:05:00", as_time, 25500, ""},
            {"07:05:00", as_time, 25500, ""},
            {"0:00:00", as_time, 0, ""},
            {"0", as_time, 0, ""},
            {"24:00:01", as_time, 86401, "24:00:01 is not a valid time"},
            {"25:00:00", as_time, 90000, "25:00:00 is not a valid time"},
            {"7:60:00", as_time, 28800, "7:60:00 is not a valid time"},
            {"7:00:75", as_time, 25275, "7:00:75 is not a valid time"},
            {"7:5:00", as_time, 0, "7:5:00 is not a valid time"},
            {"12:00", as_time, 0, "12:00 is not a valid time"},
            {"7:05:00x", as_time, 0, "7:05:00x is not a valid time"},
            {"86401", as_time, 86401, "86401 is not a valid time"},
            {"-1", as_time, -1, "-1 is not a valid time"},
            {"noon", as_time, 0, "noon is not a valid time"},
        },
        FieldKind::Next);
}

TEST(ReadTime, EveryTimeTextReadsBack)
{
    ScriptedPort port;
    std::string text;
    for (std::int32_t s = 0; s <= kSecondsInDay; s += 7) text += time_text(s) + "\n";
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("times", text), 0), 0);
    for (std::int32_t s = 0; s <= kSecondsInDay; s += 7) ASSERT_EQ(reader.read_time(), s);
    EXPECT_EQ(error_count(), 0);
}

TEST(ReadDay, MonthNameAndNumberForms)
{
    check_typed_reads(
        {
            {"Dec31", as_day, 365, ""},
            {"Jan01", as_day, 1, ""},
            {"jan 1", as_day, 1, ""},
            {"JAN  01", as_day, 1, ""},
            {"Feb28", as_day, 59, ""},
            {"365", as_day, 365, ""},
            {"1", as_day, 1, ""},
            {"Feb29", as_day, 60, "Feb29 is not a valid date"},
            {"Jun31", as_day, 182, "Jun31 is not a valid date"},
            {"Jan", as_day, 0, "Jan is not a valid date"},
            {"Janu1", as_day, 1, "Janu1 is not a valid date"},
            {"Jan123", as_day, 12, "Jan123 is not a valid date"},
            {"Jan-1", as_day, 1, "Jan-1 is not a valid date"},
            {"Xyz01", as_day, 0, "Xyz01 is not a valid date"},
            {"0", as_day, 0, "0 is not a valid date"},
            {"366", as_day, 366, "366 is not a valid date"},
        },
        FieldKind::NextDataLine);
}

TEST(ReadDay, MonthSlashDayForm)
{
    check_typed_reads(
        {
            {"2/28", as_month_day, 59, ""},
            {"1/1", as_month_day, 1, ""},
            {"12/31", as_month_day, 365, ""},
            {"2/29", as_month_day, 0, "2/29 is not a valid mm/dd date"},
            {"13/1", as_month_day, 0, "13/1 is not a valid mm/dd date"},
            {"0/1", as_month_day, 0, "0/1 is not a valid mm/dd date"},
            {"2", as_month_day, 0, "2 is not a valid mm/dd date"},
            {"/5", as_month_day, 0, "/5 is not a valid mm/dd date"},
            {"1/1/1", as_month_day, 0, "1/1/1 is not a valid mm/dd date"},
            {"+1/1", as_month_day, 0, "+1/1 is not a valid mm/dd date"},
            {"99999/1", as_month_day, 0, "99999/1 is not a valid mm/dd date"},
        },
        FieldKind::Next);
}

TEST(ReadDay, EveryDayTextReadsBack)
{
    ScriptedPort port;
    std::string text;
    for (int d = 1; d <= kDaysInYear; ++d) text += day_text(d) + " " + month_day_text(d) + "\n";
    DataReader reader;
    ASSERT_EQ(reader.open(write_file("days", text), 0), 0);
    for (int d = 1; d <= kDaysInYear; ++d) {
        ASSERT_EQ(reader.read_day(), d);
        ASSERT_EQ(reader.read_month_day(), d);
    }
    EXPECT_EQ(error_count(), 0);
}

}  // namespace
}  // namespace avelor
