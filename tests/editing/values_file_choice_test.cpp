#include "editing/values_file_choice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

TEST(ChooseValuesFile, AReadableFileIsTakenAFailingOneChangesNothing)
{
    testing::ScriptedPort port;
    EditorSession session;
    Project& p = session.project();
    const std::string good = ::testing::TempDir() + "avelor_choice.dvf";
    const std::string bad = ::testing::TempDir() + "avelor_choice_bad.dvf";
    std::ofstream(good, std::ios::binary) << "DiscreteValuesFile AvelorW 2.1\nfan states\n1/1 12/31\n1\nfan\n";
    std::ofstream(bad, std::ios::binary) << "ContinuousValuesFile AvelorW 2.1\nwrong kind\n1/1 12/31\n1\nfan\n";

    // Cancelled: nothing asked of the file, nothing changed.
    EXPECT_FALSE(choose_values_file(session, ValuesFileKind::Discrete));
    EXPECT_FALSE(p.changed());

    port.files = {good};
    ASSERT_TRUE(choose_values_file(session, ValuesFileKind::Discrete));
    EXPECT_EQ(p.rc.discrete_values_file, good);
    EXPECT_EQ(p.dvf_values.names, std::vector<std::string>{"fan"});
    EXPECT_TRUE(p.changed());

    port.files = {bad};
    EXPECT_FALSE(choose_values_file(session, ValuesFileKind::Discrete));
    EXPECT_EQ(p.rc.discrete_values_file, good) << "the file the project had stays";
    EXPECT_EQ(p.dvf_values.names, std::vector<std::string>{"fan"});
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes.front().text.find("Bad DVF: "), std::string::npos);
    std::remove(good.c_str());
    std::remove(bad.c_str());
}

}  // namespace
}  // namespace avelor
