#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editing/library_manager.h"
#include "model/project.h"
#include "model/schedules.h"
#include "prjfile/project_file.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

std::string example(const std::string& name) { return std::string(AVELOR_SOURCE_DIR) + "/examples/" + name; }

struct ManagerFixture {
    testing::ScriptedPort port;
    Project project;
    std::string dir = ::testing::TempDir() + "library_manager/";
    ManagerFixture()
    {
        std::filesystem::create_directories(dir);
        EXPECT_EQ(read_project(example("scheduled_exhaust.prj"), project, {}), 0);
    }
    ~ManagerFixture() { std::filesystem::remove_all(dir); }
};

TEST(LibraryManager, ALibraryIsFilledFromTheProjectSavedAndOpenedAgain)
{
    ManagerFixture fx;
    LibraryManagerForm form(fx.project, DefinitionKind::WeekSchedule);
    EXPECT_EQ(form.title(), "AVELORW Data and Library Manager: Week Schedules");
    EXPECT_EQ(form.library_caption(), "(new library)");
    const std::vector<std::string> weeks = form.project_names();
    ASSERT_EQ(weeks.size(), 1u);
    EXPECT_EQ(form.copy_to_library(weeks), 1);
    EXPECT_EQ(form.library_names(), weeks);
    EXPECT_FALSE(form.project_changed());
    // Its day schedules came along.
    EXPECT_EQ(form.library().lists->day_schedules.count(), fx.project.day_schedules.count());

    // Closing asks; Cancel keeps the manager, Yes saves through Save As.
    fx.port.answers = {Answer::Cancel};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(fx.port.questions.back(), "Save changed library data?");
    const std::string path = fx.dir + "office.LB1";
    fx.port.answers = {Answer::Yes};
    fx.port.files = {path};
    EXPECT_TRUE(form.close());
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(form.library_caption(), "office.LB1");

    LibraryManagerForm other(fx.project, DefinitionKind::WeekSchedule);
    fx.port.files = {path};
    ASSERT_TRUE(other.browse());
    EXPECT_EQ(other.library_names(), weeks);
    EXPECT_FALSE(other.library().changed);
    // A file of another kind is refused by its extension.
    EXPECT_FALSE(other.open(fx.dir + "office.LB3"));
    EXPECT_NE(fx.port.boxes.back().text.find("Invalid library file extension: .LB3"), std::string::npos);
}

TEST(LibraryManager, DefinitionsInUseAreNotDeleted)
{
    ManagerFixture fx;
    LibraryManagerForm form(fx.project, DefinitionKind::DaySchedule);
    const std::vector<std::string> days = form.project_names();
    ASSERT_FALSE(days.empty());
    // The project's week schedule uses its day schedules.
    fx.port.answers = {Answer::Yes};
    EXPECT_EQ(form.delete_from_project({days[0]}), 0);
    EXPECT_NE(fx.port.boxes.back().text.find("is in use and cannot be deleted"), std::string::npos);
    EXPECT_EQ(form.project_names(), days);

    // In the library nothing uses them: gone after Yes, kept after No.
    EXPECT_EQ(form.copy_to_library(days), static_cast<int>(days.size()));
    fx.port.answers = {Answer::No};
    EXPECT_EQ(form.delete_from_library({days[0]}), 0);
    fx.port.answers = {Answer::Yes};
    EXPECT_EQ(form.delete_from_library({days[0]}), 1);
    EXPECT_EQ(form.library_names().size(), days.size() - 1);
    EXPECT_FALSE(form.project_changed());
    EXPECT_EQ(form.copy_to_project({days[1]}), 1);
    EXPECT_TRUE(form.project_changed());
    EXPECT_EQ(fx.port.questions.back(), "Delete the selected element(s)?");
}

TEST(LibraryManager, AFailedReadNeverLeavesAFileToOverwrite)
{
    ManagerFixture fx;
    LibraryManagerForm form(fx.project, DefinitionKind::WeekSchedule);
    const std::string good = fx.dir + "good.LB1";
    form.copy_to_library(form.project_names());
    fx.port.files = {good};
    ASSERT_TRUE(form.save_as());
    const std::string bad = fx.dir + "bad.LB1";
    std::ofstream(bad) << "ScheduleLibrary AvelorW 3.2\nbroken\nx\n";
    EXPECT_FALSE(form.open(bad));
    EXPECT_TRUE(form.library_names().empty());
    // Save now asks for a file instead of writing over the good one.
    const auto before = std::filesystem::file_size(good);
    fx.port.files.clear();
    EXPECT_FALSE(form.save());
    EXPECT_EQ(std::filesystem::file_size(good), before);
}

}  // namespace
}  // namespace avelor
