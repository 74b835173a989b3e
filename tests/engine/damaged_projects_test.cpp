// The engine on damaged project files: each is refused with exit code 2
// and a message, never a crash, a hang or a run.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

using avelor::testing::read_file;

std::string damaged_path(const std::string& name) { return ::testing::TempDir() + "damaged_" + name + ".prj"; }

// The engine's exit code on the project (-1 when it did not exit, 124 when
// it was still running after a minute).
int run_engine(const std::string& prj, const std::string& output)
{
    const std::string command = std::string("timeout 60 \"") + AVELOR_ENGINE_PATH + "\" \"" + prj + "\" -w >\"" +
                                output + "\" 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The example with its first line that starts with `from` made to start
// with `to` instead.
std::string with_line(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find("\n" + from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.substr(0, at + 1) + to + text.substr(at + 1 + from.size());
}

struct Damage {
    const char* name;
    std::string text;
};

TEST(EngineProgram, DamagedProjectsExitTwoWithAMessage)
{
    const std::string example = read_file(std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj");
    ASSERT_FALSE(example.empty());
    std::string garbage = example.substr(0, example.find('\n') + 1);
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37) & 0xff);
    const std::vector<Damage> damages = {
        {"empty", ""},
        {"header_only", example.substr(0, example.find('\n') + 1)},
        {"truncated_third", example.substr(0, example.size() / 3)},
        {"truncated_two_thirds", example.substr(0, 2 * example.size() / 3)},
        {"garbage_level_count", with_line(example, "1 ! levels", "x ! levels")},
        {"negative_element_count", with_line(example, "3 ! flow elements", "-5 ! flow elements")},
        {"huge_zone_count", with_line(example, "2 ! zones", "2147483647 ! zones")},
        {"huge_species_count", with_line(example, "0 ! species", "99999999999 ! species")},
        {"huge_level_count", with_line(example, "1 ! levels", "1000000 ! levels")},
        {"binary_garbage", garbage},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        const std::string prj = damaged_path(d.name);
        std::ofstream(prj, std::ios::binary) << d.text;
        const std::string out = prj + ".txt";
        EXPECT_EQ(run_engine(prj, out), 2) << read_file(out);
        EXPECT_NE(read_file(out).find("ERROR: AVELORX3: cannot read the project"), std::string::npos)
            << read_file(out);
        EXPECT_FALSE(std::ifstream(prj.substr(0, prj.size() - 4) + ".sim").good());
    }
}

}  // namespace
