#include "editing/editor_session.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "sketchpad/level_navigation.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::read_file;
using testing::ScriptedPort;

const std::string kExample = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";

// The example with another SketchPad size, as a file of its own.
std::string resized_copy(const std::string& name, const char* size)
{
    std::string text = read_file(kExample);
    const std::size_t at = text.find("    58   66 ");
    EXPECT_NE(at, std::string::npos);
    text.replace(at, 12, size);
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A project whose SketchPad the memory cannot hold is refused; the open
// project, its grid and what it shows stay. The blocks of the layers come
// from a source that has no more than a megabyte for any one of them.
TEST(EditorSession, ProjectWhoseSketchPadCannotBeHadIsRefusedAndTheOpenOneStays)
{
    ScriptedPort port;
    EditorSession session{.document = {},
                          .grid = SketchGrid([](std::size_t bytes, std::string_view tag) {
                              return bytes <= (std::size_t{1} << 20) ? tagged_alloc_or_null(bytes, tag)
                                                                      : TaggedBlock();
                          }),
                          .view = {},
                          .read_options = {},
                          .problems = {},
                          .config = {},
                          .recent = {},
                          .settings_folder = {}};
    ASSERT_TRUE(open_in_session(session, kExample));
    const Project* open = &session.project();
    ASSERT_TRUE(open->lowest_level);

    const std::string huge = resized_copy("huge_sketchpad.prj", "  3000 3000 ");
    port.boxes.clear();
    EXPECT_FALSE(open_in_session(session, huge));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text.rfind(" Did not open project file: " + huge +
                                           "\nInsufficient memory to allocate: Sketch for a SketchPad of "
                                           "3000 rows by 3000 columns\nThe current project stays open.",
                                       0),
              0u)
        << port.boxes[0].text;
    EXPECT_EQ(&session.project(), open);
    EXPECT_EQ(session.document.path, kExample);
    EXPECT_EQ(session.grid.rows(), 58);
    EXPECT_EQ(session.grid.cols(), 66);
    EXPECT_EQ(session.grid.shown_level(kCurrentLevel), open->current_level);
    std::remove(huge.c_str());
}

// The save corrects icons that name no record before it writes: the
// correction refuses that save, and the next one writes the corrected icon.
TEST(EditorSession, SaveCorrectsIconsThatNameNoRecordAndRefusesOnce)
{
    ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, kExample));
    Project& p = session.project();
    // An annotation icon numbering a note the project does not have.
    SketchGrid& g = session.grid;
    g.current().Sketch(2, 2) = 42;
    g.current().Paths(2, 2) = 7;
    store_current_level(p, g);
    const std::string file = ::testing::TempDir() + "icon_check.prj";
    std::remove(file.c_str());

    port.boxes.clear();
    EXPECT_FALSE(write_session_file(session, file));
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text.rfind(" Invalid note #: level 1 icon (42 2 2 7)\nThe icon has been set to undefined.", 0),
              0u)
        << port.boxes[0].text;
    EXPECT_EQ(port.boxes[1].text.rfind(" Did not save project file because of errors", 0), 0u);
    EXPECT_TRUE(session.document.must_save);
    EXPECT_FALSE(std::ifstream(file).good()) << "nothing was written";
    EXPECT_EQ(g.current().Paths(2, 2), 0) << "the grid shows the corrected icon";

    port.boxes.clear();
    EXPECT_TRUE(write_session_file(session, file));
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_NE(read_file(file).find("  42   2   2   0\n"), std::string::npos);
    std::remove(file.c_str());
}

// Opening and saving under a new name make a project the most recent; a
// recent entry opens its project again.
TEST(EditorSession, OpenedAndSavedProjectsAreRecent)
{
    ScriptedPort port;
    testing::RunLogFile log;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, kExample));
    EXPECT_EQ(session.recent.paths(), std::vector<std::string>{kExample});
    const std::string copy = ::testing::TempDir() + "avelor_recent_copy.prj";
    port.files = {copy};
    ASSERT_TRUE(save_session(session, true));
    EXPECT_EQ(session.recent.paths(), (std::vector<std::string>{kExample, copy}));

    const std::filesystem::path cwd = std::filesystem::current_path();
    ASSERT_TRUE(open_recent_project(session, 0));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(kExample).parent_path());
    std::filesystem::current_path(cwd);
    EXPECT_EQ(session.document.path, kExample);
    EXPECT_EQ(session.recent.paths(), (std::vector<std::string>{copy, kExample}));
    EXPECT_NE(log.text().find("Recent Project: " + kExample + "\n"), std::string::npos);
    EXPECT_FALSE(open_recent_project(session, 5));
    std::remove(copy.c_str());
}

}  // namespace
}  // namespace avelor
