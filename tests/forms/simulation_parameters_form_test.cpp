#include "forms/simulation_parameters_form.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/project.h"
#include "model/source_element.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"
#include "support/test_files.h"

namespace avelor {
namespace {

std::string box_text(const testing::ShownBox& box)
{
    std::string t = box.text;
    if (!t.empty() && t.front() == ' ') t.erase(0, 1);
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t;
}

// A project with a zone and a junction, with or without three contaminants
// (one trace, two not), as saved.
struct Fixture {
    explicit Fixture(bool with_contaminants)
    {
        if (with_contaminants) {
            testing::add_species(project, "CO2", 0, 6e-4f);
            testing::add_species(project, "N2", 1, 0.75f);
            testing::add_species(project, "O2", 1, 0.25f);
            EXPECT_EQ(rebuild_contaminants(project), 0);
        }
        zone = add_zone(project, new_zone(project));
        junction = add_junction(project, Junction{});
        junction->CC0.assign(static_cast<std::size_t>(project.nctm()), 0.5f);
        zone->CC0.assign(static_cast<std::size_t>(project.nctm()), 0.5f);
        project.mark_saved();
    }
    testing::ScriptedPort port;
    Project project;
    Zone* zone = nullptr;
    Junction* junction = nullptr;
};

TEST(SimulationParametersForm, AvailabilityFollowsTheMethods)
{
    struct Case {
        bool contaminants;
        int sim_af, sim_mf, mf_solver, cfd;
        std::vector<SimGroup> on;  // every other group is off
    };
    using G = SimGroup;
    const std::vector<Case> cases = {
        {false, 0, 0, 0, 0, {G::AirflowResults}},
        {false, 1, 0, 0, 0, {G::WeatherFile, G::AirflowResults, G::AirflowBoxWhisker}},
        {false, 4, 0, 0, 0, {G::BuildingPressure}},
        {true, 0, 0, 0, 0,
         {G::ContaminantNone, G::ContaminantSteady, G::ContaminantCyclic, G::AirflowResults, G::BcgAndGamma}},
        {true, 1, 2, 2, 0,
         {G::ContaminantNone, G::IntegrationDefault, G::IntegrationCvode, G::WeatherFile, G::ContaminantFile,
          G::AirflowResults, G::ContaminantResults, G::AirflowBoxWhisker, G::ContaminantBoxWhisker,
          G::LinearSolver, G::CvodeOptions}},
        {true, 0, 3, 1, 0,
         {G::ContaminantNone, G::ContaminantSteady, G::ContaminantCyclic, G::IntegrationDefault,
          G::AirflowResults, G::ContaminantResults, G::ContaminantBoxWhisker, G::CyclicConvergence,
          G::ShortTimeStep}},
        // Coupling with CFD: the integration methods are closed and the
        // default integration is forced.
        {true, 1, 2, 2, 1,
         {G::ContaminantNone, G::WeatherFile, G::ContaminantFile, G::AirflowResults, G::ContaminantResults,
          G::AirflowBoxWhisker, G::ContaminantBoxWhisker, G::LinearSolver, G::BcgAndGamma, G::ContaminantCyclic}},
        {true, 3, 1, 0, 0, {G::AirflowTestResults, G::LinearSolver}},
    };
    for (const Case& c : cases) {
        Fixture f(c.contaminants);
        SimulationParametersForm form(f.project, "");
        form.set_cfd_method(c.cfd);
        form.set_airflow_method(c.sim_af);
        form.set_contaminant_method(c.sim_mf);
        if (c.cfd == 0) form.set_integration_method(c.mf_solver);
        for (int g = 0; g <= static_cast<int>(G::ShortTimeStep); ++g) {
            const auto group = static_cast<G>(g);
            const bool expected = std::find(c.on.begin(), c.on.end(), group) != c.on.end();
            EXPECT_EQ(form.enabled(group), expected)
                << "group " << g << " with " << c.sim_af << "/" << c.sim_mf << "/" << c.mf_solver << "/" << c.cfd;
        }
    }
}

TEST(SimulationParametersForm, ChoicesKeepTheMethodsConsistent)
{
    {
        // Without contaminants, Transient airflow leaves them None.
        Fixture f(false);
        SimulationParametersForm form(f.project, "");
        form.set_contaminant_method(1);
        form.set_airflow_method(1);
        EXPECT_EQ(form.working().sim_mf, 0);
        EXPECT_EQ(form.date_layout(), DateLayout::Transient);
    }
    Fixture f(true);
    SimulationParametersForm form(f.project, "");
    form.set_contaminant_method(1);
    form.set_airflow_method(1);
    EXPECT_EQ(form.working().sim_mf, 2);  // steady contaminants become transient
    form.set_airflow_method(3);
    EXPECT_EQ(form.working().sim_mf, 1);
    EXPECT_EQ(form.working().valZ, 1);
    EXPECT_EQ(form.date_layout(), DateLayout::Steady);
    form.set_airflow_method(2);
    EXPECT_EQ(form.working().sim_mf, 0);
    EXPECT_EQ(form.date_layout(), DateLayout::None);
    EXPECT_FALSE(form.time_enabled(SimTime::Calculation));

    form.set_airflow_method(0);
    form.set_contaminant_method(3);
    EXPECT_EQ(form.date_layout(), DateLayout::Cyclic);
    EXPECT_TRUE(form.date_enabled(SimDate::Steady));
    EXPECT_FALSE(form.time_enabled(SimTime::Steady));
    EXPECT_TRUE(form.time_enabled(SimTime::Status));
    form.set_integration_method(2);
    form.set_contaminant_method(1);  // steady contaminants: default integration
    EXPECT_EQ(form.working().mf_solver, 0);
    EXPECT_EQ(form.working().zcsave, 1);
    form.set_contaminant_method(0);
    EXPECT_EQ(form.working().zcsave, 0);
}

TEST(SimulationParametersForm, ResetIsOneOptionalChoice)
{
    Fixture f(true);
    SimulationParametersForm form(f.project, "");
    EXPECT_EQ(form.reset(), ConcentrationReset::None);
    form.click_reset(ConcentrationReset::Zero);
    form.click_reset(ConcentrationReset::Ambient);
    EXPECT_EQ(form.reset(), ConcentrationReset::Ambient);
    form.click_reset(ConcentrationReset::Ambient);
    EXPECT_EQ(form.reset(), ConcentrationReset::None);
}

TEST(SimulationParametersForm, ResetSetsInitialConcentrations)
{
    // Zero keeps the non-trace contaminants at their defaults; Ambient takes
    // every default; Current Results takes what the results hold. Sources
    // but those of super elements start from their species' default (Zero:
    // only a non-trace species').
    const std::vector<ConcentrationReset> options = {ConcentrationReset::Zero, ConcentrationReset::Ambient,
                                                     ConcentrationReset::CurrentResults};
    for (const ConcentrationReset option : options) {
        Fixture f(true);
        // A source of CO2 (not trace) and one of a super element.
        SourceElement co2 = new_source_element(kSrcCcf, f.project.species.find_by_name("CO2"));
        co2.name = "co2";
        SourceElement super = new_source_element(kSrcSup, nullptr);
        super.name = "both";
        SourceSink plain;
        plain.element = f.project.source_elements.insert_copy(co2);
        plain.CC0 = 7.0f;
        SourceSink combined = plain;
        combined.element = f.project.source_elements.insert_copy(super);
        SourceSink* plain_source = f.project.sources.add(plain);
        SourceSink* super_source = f.project.sources.add(combined);
        SimulationParametersForm form(f.project, "");
        form.set_results_source({[](bool junction, int, std::vector<float>& out) {
            out = {1.0f, 2.0f, junction ? 4.0f : 3.0f};
            return ResultsConcentrations::Read::Values;
        }});
        form.click_reset(option);
        ASSERT_TRUE(form.accept(SimPage::Output));
        std::vector<float> expected;
        for (const Species* s : f.project.Ctm)
            expected.push_back(option == ConcentrationReset::Zero && s->t == 0 ? 0.0f : s->CCdef);
        EXPECT_FLOAT_EQ(plain_source->CC0, option == ConcentrationReset::Zero ? 0.0f : 6e-4f);
        EXPECT_FLOAT_EQ(super_source->CC0, 7.0f);
        if (option == ConcentrationReset::CurrentResults) {
            EXPECT_EQ(f.zone->CC0, (std::vector<float>{1.0f, 2.0f, 3.0f}));
            EXPECT_EQ(f.junction->CC0, (std::vector<float>{1.0f, 2.0f, 4.0f}));
        } else {
            EXPECT_EQ(f.zone->CC0, expected);
            EXPECT_EQ(f.junction->CC0, expected);
        }
    }
    // Nothing chosen: the initial concentrations stay.
    Fixture f(true);
    SimulationParametersForm form(f.project, "");
    ASSERT_TRUE(form.accept(SimPage::Output));
    EXPECT_EQ(f.zone->CC0, std::vector<float>(3, 0.5f));
}

TEST(SimulationParametersForm, TraceSolverEditsReachTheNonTraceRow)
{
    Fixture f(true);
    SimulationParametersForm form(f.project, "");
    form.set_contaminant_method(2);
    ASSERT_TRUE(form.set_number(SimNumber::SolverMaxIterations, "250"));
    form.set_contaminant_solver(2);
    EXPECT_EQ(form.working().trace.maxi, 250);
    EXPECT_EQ(form.working().nontrace.maxi, 250);
    EXPECT_EQ(form.working().nontrace.slae, 2);
    // With CVODE the same fields edit the cvode row alone.
    form.set_integration_method(2);
    ASSERT_TRUE(form.set_number(SimNumber::SolverMaxIterations, "40"));
    EXPECT_EQ(form.working().cvode_set.maxi, 40);
    EXPECT_EQ(form.working().trace.maxi, 250);
    EXPECT_EQ(form.working().nontrace.maxi, 250);
    EXPECT_FALSE(form.number_enabled(SimNumber::Gamma));
    EXPECT_EQ(form.number_text(SimNumber::Gamma), "");
}

TEST(SimulationParametersForm, FieldsRefuseWithWarnings)
{
    Fixture f(false);
    SimulationParametersForm form(f.project, "");
    EXPECT_FALSE(form.set_time(SimTime::Calculation, 24, 0, 1));
    EXPECT_FALSE(form.set_time(SimTime::Calculation, 0, 0, -1));
    EXPECT_FALSE(form.set_number(SimNumber::AirflowMaxIterations, "0"));
    EXPECT_FALSE(form.set_number(SimNumber::AirflowRelaxation, "abc"));
    ASSERT_EQ(f.port.boxes.size(), 4u);
    EXPECT_EQ(box_text(f.port.boxes[0]), "Time too late; > 24:00:00");
    EXPECT_EQ(box_text(f.port.boxes[1]), "Time too early; < 00:00:00");
    EXPECT_EQ(box_text(f.port.boxes[2]), "Value must not be less than 1.");
    EXPECT_EQ(box_text(f.port.boxes[3]), "Not a valid number: \"abc\"");
    for (const auto& box : f.port.boxes) EXPECT_EQ(box.caption, "WARNING");
    EXPECT_EQ(form.working().t_step, 300);
    EXPECT_EQ(form.working().afmaxi, 30);
    EXPECT_TRUE(form.set_time(SimTime::Output, 0, 30, 0));
    EXPECT_EQ(form.working().t_list, 1800);
    form.set_date(SimDate::Start, 2, 31);  // kept within February
    EXPECT_EQ(form.working().date_0, 59);
}

TEST(SimulationParametersForm, PageChecksKeepTheUserOnThePage)
{
    Fixture f(false);
    SimulationParametersForm form(f.project, "");
    ASSERT_TRUE(form.set_time(SimTime::Output, 0, 16, 40));  // 1000 s
    EXPECT_FALSE(form.leave_page(SimPage::RunControl));
    EXPECT_EQ(box_text(f.port.boxes.back()), "The Output time step must be multiple of the Calculation time step");
    EXPECT_EQ(f.port.boxes.back().caption, "ERROR");
    EXPECT_FALSE(form.accept(SimPage::RunControl));
    EXPECT_FALSE(form.leave_page(SimPage::Weather));
    EXPECT_TRUE(form.leave_page(SimPage::Output));
    EXPECT_EQ(form.working().t_list, 1000);  // left as edited
    EXPECT_EQ(f.project.rc.t_list, 3600);
    EXPECT_FALSE(f.project.changed());
}

TEST(SimulationParametersForm, RunOnAnyPageRefusesUnusableSteps)
{
    Fixture f(false);
    SimulationParametersForm form(f.project, "");
    ASSERT_TRUE(form.set_time(SimTime::Output, 0, 0, 0));
    EXPECT_FALSE(form.run(SimPage::Output));
    EXPECT_EQ(box_text(f.port.boxes.back()), "The Output time step cannot be 00:00:00.");
    EXPECT_FALSE(form.run_requested());
    ASSERT_TRUE(form.set_time(SimTime::Output, 0, 5, 0));
    EXPECT_TRUE(form.run(SimPage::Output));
    EXPECT_TRUE(form.run_requested());
    EXPECT_EQ(f.project.rc.t_list, 300);
    form.cancel();
    EXPECT_FALSE(form.run_requested());
}

TEST(SimulationParametersForm, OkCommitsTheWorkingCopy)
{
    Fixture f(false);
    f.project.rc.wpc_file = "null";
    f.project.rc.wp = 1;
    {
        SimulationParametersForm form(f.project, "");
        form.set_flag(SimFlag::PathFlows, false);
        form.cancel();
    }
    EXPECT_EQ(f.project.rc.pfsave, 1);
    SimulationParametersForm form(f.project, "");
    form.set_flag(SimFlag::PathFlows, false);
    form.set_flag(SimFlag::VaryDensity, true);
    form.set_flag(SimFlag::AirflowSqlite, true);
    ASSERT_TRUE(form.accept(SimPage::Output));
    const RunControl& rc = f.project.rc;
    EXPECT_EQ(rc.pfsave, 0);
    EXPECT_EQ(rc.zfsave, 0);
    EXPECT_EQ(rc.tsdens + rc.densZP + rc.dodMdt, 3);
    EXPECT_EQ(rc.pfq + rc.zfq, 2);
    EXPECT_EQ(rc.wp, 0);  // no WPC file: none of its uses
    EXPECT_TRUE(f.project.changed());
}

TEST(SimulationParametersForm, WeatherPageShowsTheFiles)
{
    Fixture f(true);
    testing::RunLogFile log;
    const std::string good = ::testing::TempDir() + "form_weather.wth";
    const std::string bad = ::testing::TempDir() + "form_bad.wth";
    std::ofstream(good, std::ios::binary) << "WeatherFile AvelorW 2.0\nA winter\n12/1 1/31\n";
    std::ofstream(bad, std::ios::binary) << "WeatherFile AvelorW 1.0\nOld\n1/1 12/31\n";
    SimulationParametersForm form(f.project, "");
    EXPECT_EQ(form.weather_file_text(), "None: Use Steady State Weather");
    EXPECT_EQ(form.contaminant_file_text(), "None: Use Steady State Outdoor Contaminants");
    EXPECT_EQ(form.wpc_file_text(), "None");
    EXPECT_EQ(form.weather_days_text(false), " N/A");
    EXPECT_FALSE(form.choose_weather_file(bad));
    EXPECT_EQ(form.weather_file_text(), " <required>");
    ASSERT_TRUE(form.choose_weather_file(good));
    EXPECT_FALSE(form.choose_weather_file(bad));
    EXPECT_EQ(form.weather_file_text(), good);  // the previous name stays
    EXPECT_EQ(form.weather_days_text(false), "Dec01");
    EXPECT_EQ(form.weather_days_text(true), "Jan31");
    form.use_steady_weather();
    EXPECT_EQ(form.working().weather_file, "null");
}

// A restart file is ten little-endian integers.
void write_restart(const std::string& path, const std::vector<std::int32_t>& values)
{
    std::ofstream out(path, std::ios::binary);
    for (std::int32_t v : values)
        for (int b = 0; b < 4; ++b) out.put(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * b)) & 0xff));
}

TEST(SimulationParametersForm, RestartFollowsTheRestartFile)
{
    Fixture f(false);
    const std::string project_path = ::testing::TempDir() + "form_restart.prj";
    f.project.rc.sim_af = 1;
    f.project.rc.restart = 1;
    write_restart(::testing::TempDir() + "form_restart.rst", {1, 0, 0, 1, 0, 0, 0, 10, 20, 0});
    {
        SimulationParametersForm form(f.project, project_path);
        EXPECT_TRUE(form.restart_available());
        EXPECT_EQ(form.restart_range_text(), "Restart data from Jan10 to Jan20");
        EXPECT_EQ(form.working().rsttime, 86400);
        EXPECT_TRUE(form.date_enabled(SimDate::Restart));
    }
    // Written for a project with one zone more.
    write_restart(::testing::TempDir() + "form_restart.rst", {2, 0, 0, 1, 0, 0, 0, 10, 20, 0});
    SimulationParametersForm form(f.project, project_path);
    EXPECT_FALSE(form.restart_available());
    EXPECT_FALSE(form.flag_enabled(SimFlag::Restart));
    EXPECT_EQ(form.working().restart, 0);
}

}  // namespace
}  // namespace avelor
