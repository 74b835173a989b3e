#include <gtest/gtest.h>

#include <string>

#include "app/text_writer.h"

namespace avelor {
namespace {

TEST(TextWriterTest, AppendsFormattedTextOfAnyLength)
{
    TextWriter out;
    out.printf("%d ! zones:\n", 3);
    out.write("-999\n");
    const std::string long_name(1000, 'x');
    out.printf("%s|%5.2f\n", long_name.c_str(), 1.5);
    out.printf("%s", "");
    EXPECT_EQ(out.text(), "3 ! zones:\n-999\n" + long_name + "| 1.50\n");
    std::string taken = out.take();
    EXPECT_EQ(taken.size(), 16u + 1000u + 7u);
}

}  // namespace
}  // namespace avelor
