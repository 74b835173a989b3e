#include "model/values_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/diagnostics.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

const char* const kContinuous = "ContinuousValuesFile AvelorW 2.1\n"
                                "fan and window signals\n"
                                "1/1 12/31\n"
                                "3\n"
                                "fan_speed\n"
                                "window ! opening fraction\n"
                                "supply_T\n"
                                "1/1 00:00:00 0.5 1 293.15\n";

class ValuesFileTest : public ::testing::Test {
protected:
    std::string write(const std::string& text)
    {
        const std::string path = ::testing::TempDir() + "avelor_values_file_test.cvf";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void TearDown() override { std::remove((::testing::TempDir() + "avelor_values_file_test.cvf").c_str()); }
    bool told(const std::string& text) const
    {
        for (const auto& box : port.boxes)
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }
    ScriptedPort port;
};

TEST_F(ValuesFileTest, HeaderAndNames)
{
    ValuesFileHeader values;
    ASSERT_TRUE(load_values_file(write(kContinuous), ValuesFileKind::Continuous, values, 2));
    EXPECT_EQ(values.description, "fan and window signals");
    EXPECT_EQ(values.first_day, 1);
    EXPECT_EQ(values.last_day, 365);
    EXPECT_EQ(values.names, (std::vector<std::string>{"fan_speed", "window", "supply_T"}));

    // Mode 1 checks the header only; no file at all is no values.
    ASSERT_TRUE(load_values_file(write(kContinuous), ValuesFileKind::Continuous, values, 1));
    EXPECT_TRUE(values.names.empty());
    EXPECT_TRUE(load_values_file("null", ValuesFileKind::Discrete, values, 2));
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(ValuesFileTest, FilesThatCannotBeUsedAreRefusedWithTheirReason)
{
    struct Case {
        const char* name;
        std::string text;
        ValuesFileKind kind;
        const char* message;
    };
    std::string no_values = kContinuous;
    no_values.replace(no_values.find("\n3\n"), 3, "\n0\n");
    std::string short_list = kContinuous;
    short_list.erase(short_list.find("window !"));
    const Case cases[] = {
        {"a discrete file asked for as continuous", kContinuous, ValuesFileKind::Discrete, "Bad DVF: "},
        {"wrong version", "ContinuousValuesFile AvelorW 2.0\nx\n1/1 1/2\n1\na\n", ValuesFileKind::Continuous,
         "Invalid header data: ContinuousValuesFile AvelorW 2.0"},
        {"no named value", no_values, ValuesFileKind::Continuous, "File must have at least one named value"},
        {"names missing", short_list, ValuesFileKind::Continuous, "Missing value name 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.boxes.clear();
        reset_error_count();
        ValuesFileHeader values;
        values.names = {"stale"};
        EXPECT_FALSE(load_values_file(write(c.text), c.kind, values, 2));
        EXPECT_TRUE(values.names.empty());
        EXPECT_TRUE(told(c.message)) << (port.boxes.empty() ? std::string("no message") : port.boxes.front().text);
    }
}

}  // namespace
}  // namespace avelor
