#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "forms/wind_profile_form.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Types the rows as the dialog's fields do when they are left.
void type_rows(WindProfileForm& form, const std::vector<std::pair<const char*, const char*>>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_TRUE(form.leave_angle(static_cast<int>(i), rows[i].first)) << i;
        ASSERT_TRUE(form.leave_coefficient(static_cast<int>(i), rows[i].second)) << i;
    }
}

const std::vector<std::pair<const char*, const char*>> kQuarters = {
    {"180", "-0.2"}, {"0", "0.6"}, {"270", "-0.3"}, {"90", "-0.3"}, {"360", "0"}};

class WindProfileFormTest : public ::testing::Test {
protected:
    ScriptedPort port;
    Project project;
};

TEST_F(WindProfileFormTest, OpensOnTheNewProfileAndSortsOnRedraw)
{
    WindProfileForm form(project.wind_profiles);
    EXPECT_EQ(form.points_in_use(), 2);
    EXPECT_EQ(form.angle_field(1).shown_text(), "   360");
    EXPECT_EQ(form.coefficient_field(1).shown_text(), "     1");
    EXPECT_EQ(form.fit(), kWindFitLinear);

    type_rows(form, kQuarters);
    ASSERT_TRUE(form.redraw());
    EXPECT_EQ(form.points_in_use(), 5);
    const char* angles[] = {"     0", "    90", "   180", "   270", "   360", "   360"};
    const char* coefficients[] = {"   0.6", "  -0.3", "  -0.2", "  -0.3", "   0.6", "     0"};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(form.angle_field(row).shown_text(), angles[row]) << row;
        EXPECT_EQ(form.coefficient_field(row).shown_text(), coefficients[row]) << row;
    }
    EXPECT_FALSE(form.leave_angle(2, "361"));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
}

TEST_F(WindProfileFormTest, CurveFit3NeedsTheQuarterPoints)
{
    WindProfileForm form(project.wind_profiles);
    type_rows(form, kQuarters);
    ASSERT_TRUE(form.redraw());
    EXPECT_TRUE(form.fit_enabled(kWindFitTrigonometric));
    ASSERT_TRUE(form.choose_fit(kWindFitTrigonometric));
    EXPECT_EQ(form.fit(), kWindFitTrigonometric);

    // 90 moved to 91: the button is disabled, and its fit no longer chosen.
    ASSERT_TRUE(form.leave_angle(1, "91"));
    ASSERT_TRUE(form.redraw());
    EXPECT_FALSE(form.fit_enabled(kWindFitTrigonometric));
    EXPECT_EQ(form.fit(), kWindFitLinear);
    EXPECT_FALSE(form.choose_fit(kWindFitTrigonometric));
}

TEST_F(WindProfileFormTest, ShowAllDrawsEveryFitThePointsMake)
{
    WindProfileForm form(project.wind_profiles);
    // Two points: the linear fit alone; a spline needs three.
    ASSERT_TRUE(form.choose_fit(kWindFitShowAll));
    EXPECT_EQ(form.fit(), kWindFitShowAll);
    WindProfileCurves two = form.curves();
    ASSERT_EQ(two.fits.size(), 1u);
    EXPECT_EQ(two.fits[0].type, kWindFitLinear);

    type_rows(form, kQuarters);
    ASSERT_TRUE(form.choose_fit(kWindFitShowAll));
    const WindProfileCurves all = form.curves();
    EXPECT_EQ(all.points.size(), 5u);
    ASSERT_EQ(all.fits.size(), 3u);
    for (const WindFitCurve& fit : all.fits) {
        ASSERT_EQ(fit.curve.size(), static_cast<std::size_t>(kWindCurveSamples)) << fit.type;
        // Every fit passes through the points; the samples fall one a
        // degree, so sample 90 is the 90 point.
        for (std::size_t i = 0; i < all.points.size(); ++i) {
            const auto at = static_cast<std::size_t>(all.points.x[i]);
            EXPECT_NEAR(fit.curve.y[at], all.points.y[i], 1e-4) << fit.type << " at " << at;
        }
    }
}

TEST_F(WindProfileFormTest, CrowdedPointsDrawNothingAndKeepTheDialogOpen)
{
    WindProfileForm form(project.wind_profiles);
    form.set_name("crowded");
    type_rows(form, {{"0", "1"}, {"0.5", "1"}, {"360", "1"}});
    EXPECT_FALSE(form.redraw());
    EXPECT_TRUE(form.curves().fits.empty());
    const FormAnswer<WindProfileField> answer = form.accept();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.focus, WindProfileField::Rows);
    EXPECT_EQ(answer.text, "Insufficient spacing between points");
    EXPECT_EQ(project.wind_profiles.count(), 0);
}

TEST_F(WindProfileFormTest, OkChecksTheNameThenStoresTheFittedProfile)
{
    WindProfile existing = new_wind_profile();
    existing.name = "taken";
    WindProfile* stored = project.wind_profiles.insert_copy(existing);

    WindProfileForm form(project.wind_profiles);
    for (const char* refused : {"", "taken", "two words"}) {
        form.set_name(refused);
        const FormAnswer<WindProfileField> answer = form.accept();
        EXPECT_FALSE(answer.accepted) << refused;
        EXPECT_EQ(answer.focus, WindProfileField::Name);
        EXPECT_EQ(form.name(), " <required>");
    }
    EXPECT_EQ(project.wind_profiles.count(), 1);

    form.set_name("wall");
    form.set_description("Long wall\nof a tall block");
    type_rows(form, kQuarters);
    ASSERT_TRUE(form.choose_fit(kWindFitSpline));
    ASSERT_TRUE(form.accept().accepted);
    ASSERT_NE(form.stored(), nullptr);
    EXPECT_EQ(form.stored()->desc, "Long wall of a tall block");
    EXPECT_EQ(form.stored()->spline.size(), 5u);
    EXPECT_EQ(project.wind_profiles.count(), 2);

    // Editing keeps the record; its old name is its own to keep.
    WindProfileForm edit(project.wind_profiles, stored);
    ASSERT_TRUE(edit.accept().accepted);
    EXPECT_EQ(edit.stored(), stored);
}

TEST_F(WindProfileFormTest, DeletingAProfileInUseIsRefused)
{
    WindProfile w = new_wind_profile();
    w.name = "wall";
    WindProfile* profile = project.wind_profiles.insert_copy(w);
    Level ground;
    ground.name = "ground";
    project.current_level = project.levels.add(ground);
    FlowPath path;
    path.wind_profile = profile;
    add_path(project, path);
    add_path(project, FlowPath{});
    add_path(project, path);

    EXPECT_FALSE(delete_wind_profile(project, *profile));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text,
              " Wind pressure profile wall is in use by path 1, path 3 and cannot be deleted.\n");
    EXPECT_TRUE(port.questions.empty());

    for (FlowPath& p : project.paths) p.wind_profile = nullptr;
    port.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(delete_wind_profile(project, *profile));
    EXPECT_EQ(project.wind_profiles.count(), 1);
    EXPECT_TRUE(delete_wind_profile(project, *profile));
    EXPECT_EQ(port.questions.back(), "Delete wind pressure profile wall?");
    EXPECT_EQ(project.wind_profiles.count(), 0);
}

}  // namespace
}  // namespace avelor
