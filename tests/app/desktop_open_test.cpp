#include "app/desktop_open.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;

// A stand-in "xdg-open" first on PATH: it writes its arguments one a line
// beside itself and exits with $STANDIN_EXIT.
class StandInOpener : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / "desktop_open_test";
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        const fs::path opener = dir / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\nexit "
                                 "${STANDIN_EXIT:-0}\n";
        fs::permissions(opener, fs::perms::owner_all);
        file = (dir / "my results.age").string();
        std::ofstream(file) << "x";
        const char* path = std::getenv("PATH");
        saved_path = path ? path : "";
        ::setenv("PATH", ((dir / "bin").string() + ":" + saved_path).c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", saved_path.c_str(), 1);
        ::unsetenv("STANDIN_EXIT");
        fs::remove_all(dir);
    }
    std::string args() const { return testing::read_file((dir / "bin" / "args").string()); }

    fs::path dir;
    std::string file;
    std::string saved_path;
    testing::ScriptedPort port;
};

TEST_F(StandInOpener, HandsTheWholePathToTheOpenerAsOneArgument)
{
    EXPECT_EQ(open_with_desktop(file), OpenResult::Started);
    EXPECT_EQ(args(), file + "\n");
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(StandInOpener, FailuresShowTheNearestMessage)
{
    struct Case {
        const char* exit;
        OpenResult result;
        const char* message;  // empty for none
    };
    const Case cases[] = {
        {"2", OpenResult::FileNotFound, " The specified file was not found.\n"},
        {"3", OpenResult::AssociationIncomplete, " The file name association is incomplete or invalid.\n"},
        {"4", OpenResult::AssociationIncomplete, " The file name association is incomplete or invalid.\n"},
        {"1", OpenResult::Other, ""},
    };
    for (const Case& c : cases) {
        port.boxes.clear();
        ::setenv("STANDIN_EXIT", c.exit, 1);
        EXPECT_EQ(open_with_desktop(file), c.result) << c.exit;
        if (*c.message == 0) {
            EXPECT_TRUE(port.boxes.empty()) << c.exit;
            continue;
        }
        ASSERT_EQ(port.boxes.size(), 1u) << c.exit;
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text.substr(0, std::string(c.message).size()), c.message) << c.exit;
    }
}

TEST_F(StandInOpener, AMissingFileOrFolderStartsNothing)
{
    EXPECT_EQ(open_with_desktop((dir / "gone.age").string()), OpenResult::FileNotFound);
    EXPECT_EQ(open_with_desktop((dir / "gone" / "x.age").string()), OpenResult::PathNotFound);
    EXPECT_FALSE(fs::exists(dir / "bin" / "args"));
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[1].text.substr(0, 34), " The specified path was not found.");
}

TEST_F(StandInOpener, NoOpenerOnThePath)
{
    ::setenv("PATH", (dir / "nothing").string().c_str(), 1);
    EXPECT_EQ(open_with_desktop(file), OpenResult::AssociationIncomplete);
    ASSERT_EQ(port.boxes.size(), 1u);
}

TEST(DesktopOpen, SpawnErrorsMapToTheirMessages)
{
    const std::pair<int, OpenResult> cases[] = {
        {ENOENT, OpenResult::AssociationIncomplete}, {EACCES, OpenResult::AccessDenied},
        {ENOEXEC, OpenResult::BadExecutable},        {ENOMEM, OpenResult::OutOfMemory},
        {EAGAIN, OpenResult::OutOfResources},        {EINVAL, OpenResult::Other},
    };
    for (const auto& [error, result] : cases) EXPECT_EQ(open_result_for_errno(error), result) << error;
    EXPECT_EQ(open_result_message(OpenResult::AccessDenied), "The operating system denied access to the specified file. ");
    EXPECT_TRUE(open_result_message(OpenResult::NoAssociation).empty());
}

}  // namespace
}  // namespace avelor
