// The data of a continuous or discrete values file, the named columns that
// control nodes of the cvf and dvf types and the elements with a CVF/DVF
// control read.
//
// The file begins with the header the editor reads (model/values_file.h):
//   ContinuousValuesFile AvelorW 2.1      (DiscreteValuesFile for a DVF)
//   a description line
//   first-day last-day                    (m/d m/d)
//   N                                     (the count of named values)
//   N lines, each beginning with a name (at most 15 characters)
// then one data record per line:
//   mm/dd hh:mm:ss v1 ... vN
// with the times ascending (a record may repeat the time of the one before,
// a step in a continuous file). "!" starts a comment that runs to the end
// of its line; blank lines and comment lines are skipped; a line whose first
// field begins with "*" ends the data. Fields are separated by blanks, tabs
// or commas. Times are instants of one year: mm/dd 24:00:00 is the next
// day's 00:00:00; a file cannot run over the end of the year.
//
// A continuous file's value at an instant is interpolated linearly between
// the records around it; a discrete file's is that of the last record at or
// before the instant. Before the first record both give the first record's
// values, after the last the last record's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/values_file.h"

namespace avelor::engine {

class ValuesSeries {
public:
    ValuesSeries() = default;

    // Reads a whole values file. Throws EngineError naming the file (and the
    // line, for a data record) when it cannot be opened, its header is not
    // that of the kind, it holds no record, or a record is malformed: a date
    // or time that is not one, fewer or more values than names, a value that
    // is not a number, or a time before the record above.
    static ValuesSeries read(const std::string& path, ValuesFileKind kind);
    // A series from records in memory (tests, benchmarks): times in seconds
    // of the year (0 = Jan01 00:00:00), values row by row.
    static ValuesSeries from_records(ValuesFileKind kind, std::vector<std::string> names, std::vector<double> times,
                                     std::vector<double> values);

    ValuesFileKind kind() const { return kind_; }
    const std::string& path() const { return path_; }
    const std::vector<std::string>& names() const { return names_; }
    // The column of a name (exact match), -1 when the file has none.
    int column(std::string_view name) const;
    std::size_t records() const { return times_.size(); }

    // Moves to an instant: seconds of the year, day d at time t being
    // (d - 1) * 86400 + t. Amortized constant for instants that rise.
    void seek(double instant);
    // The value of a column at the instant of the last seek.
    double value(int column) const;

private:
    ValuesFileKind kind_ = ValuesFileKind::Continuous;
    std::string path_;
    std::vector<std::string> names_;
    std::vector<double> times_;   // s of the year, ascending
    std::vector<double> values_;  // records x names
    // The instant sought: the record at or before it and the weight of the
    // next one (0 for a discrete file and outside the records).
    std::size_t at_ = 0;
    double weight_ = 0;
};

}  // namespace avelor::engine
