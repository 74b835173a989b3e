#include "app/lists.h"

#include <string>

#include "app/run_log.h"

namespace avelor {

namespace detail {

void log_list_error_header(std::string_view type_name)
{
    run_log().printf("Error in %.*sList:\n", static_cast<int>(type_name.size()), type_name.data());
}

void log_list_entry(RangedIndex i, std::int32_t nr, const void* record, const void* next)
{
    run_log().printf(" %3d %3d [%p] [%p]\n", static_cast<int>(i), static_cast<int>(nr), record,
                     next);
}

void log_list_empty_entry(RangedIndex i)
{
    run_log().printf(" %3d null [0]\n", static_cast<int>(i));
}

void list_reordering_error(std::string_view type_name)
{
    report_fatal({type_name, "List reordering error"});
}

}  // namespace detail

int check_name(std::string_view name, std::size_t size)
{
    auto refuse = [](Pieces pieces) {
        show_message(WARNING, pieces);
        return 1;
    };
    if (name.empty()) return refuse({"Empty name not permitted"});
    if (name.find(' ') != std::string_view::npos) return refuse({"Blanks not permitted in name"});
    if (name.find(',') != std::string_view::npos) return refuse({"Commas not permitted in name"});
    if (name.find('!') != std::string_view::npos)
        return refuse({"Exclamation points not permitted in name"});
    // A name is one field of a data file: a tab or line break would split
    // it, and a field beginning with "*" ends the data.
    bool control = std::any_of(name.begin(), name.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    if (control) return refuse({"Tabs and control characters not permitted in name"});
    if (name.front() == '*') return refuse({"Name may not begin with \"*\""});
    if (name.size() >= size) {
        std::string longest = std::to_string(size - 1);
        return refuse({"Name is longer than ", longest, " characters"});
    }
    return 0;
}

}  // namespace avelor
