#include "simulation/project_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/command_table.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;

TEST(ProjectFiles, ResultFilesBesideTheProjectAndInputFilesItNames)
{
    const fs::path dir = fs::path(::testing::TempDir()) / "project_files_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    testing::RunLogFile log;
    EditorSession session;
    // Untitled: nothing beside it, nothing named.
    EXPECT_TRUE(project_file_path(session, cmd::OpenAgeFile).empty());
    EXPECT_TRUE(project_file_path(session, cmd::OpenWeatherFile).empty());

    session.document.path = (dir / "office.prj").string();
    session.project().rc.weather_file = "spring.wth";
    session.project().rc.wpc_file = (dir / "site.wpc").string();
    for (const char* name : {"office.age", "office.xlog", "spring.wth"}) std::ofstream(dir / name) << "x";

    EXPECT_EQ(project_file_path(session, cmd::OpenAgeFile), (dir / "office.age").string());
    EXPECT_EQ(project_file_path(session, cmd::OpenControlsLog), (dir / "office.log").string());
    EXPECT_EQ(project_file_path(session, cmd::OpenPathLocationFile), (dir / "office.pld").string());
    // A name without a folder is found beside the project.
    EXPECT_EQ(project_file_path(session, cmd::OpenWeatherFile), (dir / "spring.wth").string());
    EXPECT_EQ(project_file_path(session, cmd::OpenProgramLog), log.path());
    EXPECT_TRUE(project_file_path(session, cmd::OpenContaminantFile).empty());
    EXPECT_TRUE(project_file_path(session, cmd::Exit).empty());

    const auto exist = existing_project_files(session);
    auto exists = [&exist](int command) { return exist[static_cast<std::size_t>(project_file_index(command))]; };
    for (int command : {cmd::OpenAgeFile, cmd::OpenEngineLog, cmd::OpenWeatherFile, cmd::OpenProgramLog})
        EXPECT_TRUE(exists(command)) << command;
    for (int command : {cmd::OpenAchFile, cmd::OpenControlsLog, cmd::OpenWpcFile, cmd::OpenContaminantFile})
        EXPECT_FALSE(exists(command)) << command;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace avelor
