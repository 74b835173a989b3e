#include <gtest/gtest.h>

#include "app/description_line.h"

namespace avelor {
namespace {

TEST(DescriptionLine, ReadsBackAsWritten)
{
    const char* cases[] = {"plain text", "!starts with a bang", " !blank then bang",
                           "  !two blanks", " leading blank", "", "ends with !"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        std::string line = description_to_line(text);
        if (!line.empty()) {
            EXPECT_NE(line[0], '!') << "a written line must not look like a comment";
        }
        EXPECT_EQ(description_from_line(line), text);
    }
}

TEST(DescriptionLine, OlderLinesKeepTheirBytes)
{
    // A line an older file holds reads and writes back unchanged.
    for (const char* line : {" !x", "abc", " abc", "   !y"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(description_to_line(description_from_line(line)), line);
    }
}

TEST(DescriptionLine, LineBreaksBecomeBlanks)
{
    EXPECT_EQ(clean_description("two\nlines\r\n"), "two lines  ");
    EXPECT_EQ(description_to_line("a\nb"), "a b");
}

}  // namespace
}  // namespace avelor
