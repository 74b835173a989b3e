#include "model/values_file.h"

#include <fstream>

#include "app/data_reader.h"
#include "app/diagnostics.h"

namespace avelor {

namespace {

constexpr std::size_t kValueNameSize = 16;
// More named values than any file could sensibly hold is damage.
constexpr int kMaxValues = 100000;

std::string first_data_line(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t text = line.find_first_not_of(" \t");
        if (text == std::string::npos || line[text] == '!') continue;
        return line;
    }
    return {};
}

}  // namespace

bool load_values_file(const std::string& path, ValuesFileKind kind, ValuesFileHeader& values, int mode)
{
    values = ValuesFileHeader{};
    if (path.empty() || path == "null") return true;
    const bool continuous = kind == ValuesFileKind::Continuous;
    auto fail = [&] {
        values = ValuesFileHeader{};
        return false;
    };
    DataReader in;
    if (in.open(path, 0) != 0) return fail();
    const std::optional<std::string> w1 = in.read_field();
    const std::optional<std::string> w2 = in.read_field();
    const std::optional<std::string> w3 = in.read_field();
    if (!w1 || !w2 || !w3 || *w1 != (continuous ? "ContinuousValuesFile" : "DiscreteValuesFile") ||
        *w2 != "AvelorW" || *w3 != "2.1") {
        show_message(WARNING, {"Bad ", continuous ? "CVF" : "DVF", ": ", path});
        report_error(ERROR, {"Invalid header data: ", first_data_line(path)});
        return fail();
    }
    const int errors = error_count();
    values.description = in.read_field(FieldKind::NextDataLine).value_or(std::string());
    values.first_day = in.read_month_day(FieldKind::FirstOfNextLine);
    values.last_day = in.read_month_day();
    const int count = in.read_int(FieldKind::FirstOfNextLine);
    if (error_count() != errors) return fail();
    if (count < 1 || count > kMaxValues) {
        show_message(WARNING, {"File must have at least one named value"});
        return fail();
    }
    if (mode >= 2) {
        for (int k = 0; k < count; ++k) {
            const std::optional<std::string> name = in.read_field(FieldKind::FirstOfNextLine, kValueNameSize);
            if (!name) {
                report_error(ERROR, {"Missing value name ", std::to_string(k + 1), " in ", path});
                return fail();
            }
            values.names.push_back(*name);
        }
    }
    return true;
}

}  // namespace avelor
