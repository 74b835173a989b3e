#include "forms/program_options_form.h"

#include <gtest/gtest.h>

#include "editing/program_settings.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

TEST(ProgramOptionsForm, RefusesWhatTheConfigurationFileWouldRefuse)
{
    ProgramOptionsForm form(ProgramConfig{}, 4);
    // 8 and the size in use stay available; others come and go in order.
    EXPECT_FALSE(form.set_size_available(8, false));
    EXPECT_FALSE(form.set_size_available(4, false));
    EXPECT_TRUE(form.set_size_available(2, false));
    EXPECT_TRUE(form.set_size_available(2, true));
    EXPECT_EQ(form.config().cell_sizes, (std::vector<int>{1, 2, 3, 4, 5, 8, 16}));
    EXPECT_FALSE(form.set_size_available(6, true));
    EXPECT_TRUE(form.set_size_available(3, false));
    EXPECT_FALSE(form.set_cell_size(3));

    // 20 °C shown in °F; 40 °C is outside what the file accepts.
    EXPECT_NEAR(form.temperature(), 20.0, 1e-3);
    ASSERT_TRUE(form.set_temperature_unit(3));
    EXPECT_NEAR(form.temperature(), 68.0, 1e-3);
    EXPECT_FALSE(form.set_temperature(104.0));
    EXPECT_TRUE(form.set_temperature(71.6));
    EXPECT_NEAR(form.config().zone_T, 295.15f, 1e-3);

    EXPECT_FALSE(form.set_user_colour(0, 1, 3));    // the default palette is built in
    EXPECT_FALSE(form.set_user_colour(1, 12, 3));   // no such role
    EXPECT_FALSE(form.set_user_colour(2, 0, 256));
    EXPECT_TRUE(form.set_user_colour(2, 0, 9));
    EXPECT_EQ(form.palette_colours(2)[0], 9);
    EXPECT_FALSE(form.set_time_jump(1));
    EXPECT_FALSE(form.set_cell_jump(0));
    EXPECT_FALSE(form.set_result_lines(3));

    // What the sheet saves reads back the same from the file.
    const std::string text = program_config_text(form.config());
    EXPECT_NE(text.find(" 71.6 3  ! default zone temperatures in units:\n"), std::string::npos);
}

TEST(ProgramOptionsForm, SaveAsksToResetEachGroupThatExists)
{
    testing::ScriptedPort port;
    Project project;
    project.zones.add(Zone{});
    Junction junction;
    project.junctions.add(junction);
    Junction terminal;
    terminal.t = 1;
    project.junctions.add(terminal);

    ProgramOptionsForm unchanged(ProgramConfig{}, 8);
    unchanged.save(project);
    EXPECT_TRUE(port.questions.empty());

    ProgramOptionsForm form(ProgramConfig{}, 8);
    ASSERT_TRUE(form.set_temperature(25.0));
    port.answers = {Answer::Yes, Answer::No, Answer::Yes};
    form.save(project);
    EXPECT_EQ(port.questions, (std::vector<std::string>{std::string(kResetZoneTemperatures),
                                                        std::string(kResetJunctionTemperatures),
                                                        std::string(kResetTerminalTemperatures)}));
    EXPECT_NEAR(project.zones.at(1)->T0, 298.15f, 1e-3);
    EXPECT_EQ(project.junctions.at(1)->T0, 0.0f);
    EXPECT_NEAR(project.junctions.at(2)->T0, 298.15f, 1e-3);
}

TEST(ProgramSettings, NewProjectsAndTheViewTakeTheSettings)
{
    ProgramConfig config;
    config.units = 1;
    config.flow_unit = 4;
    config.zone_T = 295.0f;
    config.zone_T_unit = 3;
    config.palette = 2;
    config.cell_sizes = {2, 8, 16};
    config.floating_status = 0;
    config.cell_jump = 5;
    Project project;
    apply_new_project_defaults(config, project);
    EXPECT_EQ(project.rc.ud, 1);
    EXPECT_EQ(project.rc.uf, 4);
    EXPECT_EQ(project.rc.T, 295.0f);
    EXPECT_EQ(project.rc.uT, 3);

    EditorSession session;
    session.config = config;
    apply_program_config(session, 4);  // 4 is no longer offered
    EXPECT_EQ(session.view.cell_sizes(), (std::vector<int>{2, 8, 16}));
    EXPECT_EQ(session.view.cell_size(), 8);
    EXPECT_EQ(session.view.cell_jump, 5);
    EXPECT_FALSE(session.view.flags.floating_status);
    EXPECT_EQ(session.view.palette.foreground, builtin_user_palette(2)[0]);
    EXPECT_EQ(session.view.palette.highlight, builtin_user_palette(2)[11]);
}

}  // namespace
}  // namespace avelor
