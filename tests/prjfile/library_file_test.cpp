#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/file_io.h"
#include "model/project.h"
#include "prjfile/library_file.h"
#include "prjfile/project_file.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

std::string example(const std::string& name) { return std::string(AVELOR_SOURCE_DIR) + "/examples/" + name; }

std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void put_text(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct LibraryDir {
    std::string dir = ::testing::TempDir() + "libraries/";
    LibraryDir() { std::filesystem::create_directories(dir); }
    ~LibraryDir() { std::filesystem::remove_all(dir); }
};

TEST(LibraryFile, EveryKindRoundTripsByteForByte)
{
    testing::ScriptedPort port;
    LibraryDir d;
    const struct {
        LibraryKind kind;
        const char* project;
        const char* holds;  // a line the library must hold
    } cases[] = {
        {LibraryKind::Contaminant, "controlled_exhaust_fan.prj", "1 ! source/sink elements:"},
        {LibraryKind::Schedule, "scheduled_exhaust.prj", "1 ! week-schedules:"},
        {LibraryKind::WindProfile, "wind_cross_ventilation.prj", "1 ! wind pressure profiles:"},
        {LibraryKind::AirflowElement, "two_rooms.prj", "3 ! flow elements:"},
        {LibraryKind::DuctElement, "duct_system.prj", "4 ! duct elements:"},
        {LibraryKind::Controls, "scheduled_exhaust.prj", "2 ! day-schedules:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(library_header_word(c.kind)));
        Library library;
        library.kind = c.kind;
        library.description = "Definitions of " + std::string(c.project);
        ASSERT_EQ(read_project(example(c.project), *library.lists, {}), 0);
        if (c.kind == LibraryKind::Contaminant) {
            const std::string species = library.lists->species.head()->name;
            library.limits = {{1, species, "STEL", "Short-term limit", {{0, 1e-4f}, {15 * 60, 2e-4f}}}};
        }
        const std::string path = d.dir + "lib" + std::string(library_extension(c.kind));
        ASSERT_TRUE(write_library(path, library));
        const std::string written = file_text(path);
        EXPECT_EQ(written.rfind(std::string(library_header_word(c.kind)) + " AvelorW 3.2 \n" + library.description + "\n", 0), 0u)
            << written;
        EXPECT_NE(written.find(c.holds), std::string::npos) << written;
        EXPECT_EQ(written.substr(written.size() - 15), "* end library.\n");

        Library again;
        ASSERT_TRUE(read_library(path, c.kind, again)) << (port.boxes.empty() ? "" : port.boxes.back().text);
        EXPECT_FALSE(again.converted);
        EXPECT_EQ(again.description, library.description);
        EXPECT_EQ(again.limits, library.limits);
        EXPECT_EQ(library_text(again), written);
        EXPECT_EQ(library_kind_of_path("x/LIB" + std::string(library_extension(c.kind))), c.kind);
    }
    EXPECT_FALSE(library_kind_of_path("project.prj").has_value());
}

TEST(LibraryFile, OlderAndForeignFilesAreRefusedOrConverted)
{
    testing::ScriptedPort port;
    LibraryDir d;
    const std::string path = d.dir + "old.LB0";
    const std::string body =
        "species\n"
        "0 ! contaminants:\n"
        "1 ! species:\n"
        "  1 0 0 44.0100  0.0000e+00  0.0000e+00  0.0000e+00  2.0000e-05  6.0795e-04  1.0000e+03 0 0 0 0 0 CO2\n"
        "Carbon dioxide\n"
        "-999\n"
        "0 ! exposure limits:\n-999\n0 ! filter elements:\n-999\n0 ! kinetic reactions:\n-999\n"
        "0 ! source/sink elements:\n-999\n* end library.\n";
    // A 3.1 library: the species lines without the UV coefficient.
    put_text(path, "ContaminantLibrary AvelorW 3.1\n" + body);
    Library library;
    ASSERT_TRUE(read_library(path, LibraryKind::Contaminant, library))
        << (port.boxes.empty() ? "" : port.boxes.back().text);
    EXPECT_TRUE(library.converted);
    ASSERT_NE(library.lists->species.find_by_name("CO2"), nullptr);
    EXPECT_EQ(library.lists->species.find_by_name("CO2")->Kuv, 0.0f);

    const struct {
        std::string header;
        LibraryKind kind;
        const char* message;
    } refused[] = {
        {"ScheduleLibrary AvelorW 3.2", LibraryKind::Contaminant, "Not a AvelorW 3.2 library"},
        {"ContaminantLibrary AvelorW 1.0", LibraryKind::Contaminant, "Not a AvelorW 3.2 library"},
        {"ContaminantLibrary AvelorW 9.9", LibraryKind::Contaminant, "Not a AvelorW 3.2 library"},
        {"ContaminantLibrary AvelorW 2.4", LibraryKind::Contaminant, "converting it is not supported"},
        {"species", LibraryKind::Contaminant, "Not a AvelorW 3.2 library"},
    };
    for (const auto& r : refused) {
        put_text(path, r.header + "\n" + body);
        port.boxes.clear();
        EXPECT_FALSE(read_library(path, r.kind, library)) << r.header;
        ASSERT_FALSE(port.boxes.empty()) << r.header;
        EXPECT_NE(port.boxes.back().text.find(r.message), std::string::npos) << port.boxes.back().text;
        EXPECT_EQ(library.lists->species.head(), nullptr);
    }
    port.boxes.clear();
    EXPECT_FALSE(read_library(d.dir + "missing.LB0", LibraryKind::Contaminant, library));
    EXPECT_NE(port.boxes.back().text.find("Could not open file: "), std::string::npos);
    // A damaged section: the read fails as a whole.
    put_text(path, "ContaminantLibrary AvelorW 3.2\n" + body.substr(0, body.find("0 ! filter")) + "x\n");
    port.boxes.clear();
    EXPECT_FALSE(read_library(path, LibraryKind::Contaminant, library));
    EXPECT_NE(port.boxes.back().text.find("Failed to read library file: "), std::string::npos);
}

TEST(LibraryFile, AFailedWriteLeavesTheOldLibrary)
{
    testing::ScriptedPort port;
    LibraryDir d;
    const std::string path = d.dir + "kept.LB3";
    put_text(path, "old\n");
    Library library;
    library.kind = LibraryKind::AirflowElement;
    ASSERT_EQ(read_project(example("two_rooms.prj"), *library.lists, {}), 0);
    for (WriteStage stage : {WriteStage::open, WriteStage::write, WriteStage::rename}) {
        ScopedWriteFault fault(stage);
        port.boxes.clear();
        EXPECT_FALSE(write_library(path, library));
        ASSERT_FALSE(port.boxes.empty());
        EXPECT_NE(port.boxes.back().text.find(stage == WriteStage::open ? "Failed to open: " : "Failed to write library file: "),
                  std::string::npos);
        EXPECT_EQ(file_text(path), "old\n");
    }
}

}  // namespace
}  // namespace avelor
