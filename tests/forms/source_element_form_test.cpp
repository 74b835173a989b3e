#include "forms/source_element_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

int unit_named(UnitKind kind, std::string_view name)
{
    const auto names = unit_display_names(kind);
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

class SourceElementFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dust = testing::add_species(project, "dust", 0, 0);  // no molecular weight
        hcho = testing::add_species(project, "hcho", 0, 0);
        hcho->molwt = 30;
    }

    bool told(std::string_view text) const
    {
        return std::any_of(port.boxes.begin(), port.boxes.end(),
                           [&](const auto& b) { return b.text.find(text) != std::string::npos; });
    }

    ScriptedPort port;
    Project project;
    Species* dust = nullptr;
    Species* hcho = nullptr;
};

TEST_F(SourceElementFormTest, ANewElementStartsWithASpeciesAndNeedsOne)
{
    SourceElementForm form(new_source_element(kSrcCcf, nullptr), project.species);
    EXPECT_EQ(form.working().species, dust);  // the first in the list
    form.set_name("printer");
    ASSERT_TRUE(form.accept(project.source_elements, nullptr));
    EXPECT_EQ(project.source_elements.find_by_name("printer")->species, dust);

    // With no species at all nothing can be accepted.
    Project empty;
    SourceElementForm none(new_source_element(kSrcCcf, nullptr), empty.species);
    none.set_name("orphan");
    EXPECT_FALSE(none.accept(empty.source_elements, nullptr));
    EXPECT_TRUE(told("A species must be selected"));
    EXPECT_EQ(empty.source_elements.count(), 0);
    // The manager asks first; a power law's mg/h could not be shown
    // without a species at all.
    EXPECT_FALSE(source_models_available(empty.species));
    EXPECT_TRUE(told("define a species first"));
    EXPECT_TRUE(source_models_available(project.species));
    SourceElementForm power(new_source_element(kSrcPlm, nullptr), empty.species);
    EXPECT_EQ(power.selector(0), nullptr);
    EXPECT_FALSE(power.coefficient_text().empty());

    // The name rules of every definition apply.
    SourceElementForm again(new_source_element(kSrcBrs, hcho), project.species);
    again.set_name("printer");
    EXPECT_FALSE(again.accept(project.source_elements, nullptr));
    EXPECT_TRUE(told("May not use existing name"));
}

TEST_F(SourceElementFormTest, ChangingTheSpeciesKeepsOnlyUnitsItCanConvert)
{
    // The cutoff concentration follows the species' concentration list:
    // mg/m3 exists for both, ppm needs a molecular weight.
    const UnitKind with_weight = concentration_kind(*hcho);
    const UnitKind without = concentration_kind(*dust);
    for (const char* unit : {"mg/m\xB3", "ppm"}) {
        SCOPED_TRACE(unit);
        SourceElement e = new_source_element(kSrcCut, hcho);
        e.u[1] = static_cast<std::int16_t>(unit_named(with_weight, unit));
        ASSERT_GE(e.u[1], 1);
        SourceElementForm form(e, project.species);
        form.choose_species(0);  // dust
        const int expected = std::string_view(unit) == "ppm" ? 0 : unit_named(without, unit);
        EXPECT_EQ(form.working().u[1], expected);
        EXPECT_EQ(form.selector(1)->kind(), without);
        EXPECT_EQ(unit_display_names(without)[static_cast<std::size_t>(form.working().u[1])],
                  std::string_view(unit) == "ppm" ? "kg/kg" : unit);
    }

    // A generation rate unit that needs the molecular weight goes back to
    // the first unit when the new species has none.
    int needs_weight = -1;
    for (int i = 1; i < unit_count(UnitKind::SourceStrength) && needs_weight < 0; ++i)
        if (unit_support(UnitKind::SourceStrength, i, hcho) == ConversionStatus::Ok &&
            unit_support(UnitKind::SourceStrength, i, dust) != ConversionStatus::Ok)
            needs_weight = i;
    ASSERT_GE(needs_weight, 1);
    SourceElement e = new_source_element(kSrcCcf, hcho);
    e.u[0] = static_cast<std::int16_t>(needs_weight);
    SourceElementForm form(e, project.species);
    form.choose_species(0);
    EXPECT_EQ(form.working().u[0], 0);
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(SourceElementFormTest, PowerLawKeepsTheCoefficientAndDerivesEp)
{
    SourceElementForm form(new_source_element(kSrcPlm, hcho), project.species);
    // Ep = 1 kg/s = 3.6e9 mg/h; tp = 1 s, b = 1: a = Ep * (1/3600)^-1.
    EXPECT_EQ(form.emission_text(), "3.6e+09");
    EXPECT_EQ(form.coefficient_text(), format_number(3.6e9 * 3600, 0));
    // b = 0.5 and tp = 2 h (7200 s, entered in hours): Ep = a * 2^0.5.
    ASSERT_TRUE(form.leave_field(1, "0.5"));
    ASSERT_TRUE(form.leave_field(2, "2"));
    EXPECT_NEAR(form.working().v[2], 7200, 1e-3);
    const double a = 3.6e9 * 3600 / 3.6e9;  // kg/s
    EXPECT_NEAR(form.working().v[0], a * std::sqrt(2.0), a * 1e-6);
}

TEST_F(SourceElementFormTest, SuperElementNeedsTwoOrdinaryElements)
{
    for (const char* name : {"a", "b"}) {
        SourceElement e = new_source_element(kSrcCcf, dust);
        e.name = name;
        project.source_elements.insert_copy(e);
    }
    SourceElement other = new_source_element(kSrcSup, nullptr);
    other.name = "other_super";
    project.source_elements.insert_copy(other);

    SourceElementForm form(new_source_element(kSrcSup, nullptr), project.species);
    EXPECT_EQ(form.working().species, nullptr);
    const auto offered = form.available(project.source_elements);
    ASSERT_EQ(offered.size(), 2u);  // the super element is not offered
    form.set_name("mix");
    form.add_sub_element(offered[0]);
    EXPECT_FALSE(form.accept(project.source_elements, nullptr));
    EXPECT_TRUE(told("A super source element requires at least 2 sub elements."));
    form.add_sub_element(project.source_elements.find_by_name("other_super"));  // ignored
    form.add_sub_element(offered[1]);
    ASSERT_TRUE(form.accept(project.source_elements, nullptr));
    EXPECT_EQ(form.stored()->subs.size(), 2u);

    // Elements in use cannot be deleted.
    port.boxes.clear();
    EXPECT_FALSE(delete_source_element(project, "a"));
    EXPECT_TRUE(told("Super element mix"));
    SourceSink s;
    s.element = project.source_elements.find_by_name("mix");
    project.sources.add(s);
    EXPECT_FALSE(delete_source_element(project, "mix"));
    EXPECT_TRUE(told("Source/sink 1"));
    EXPECT_TRUE(delete_source_element(project, "other_super"));
    EXPECT_EQ(project.source_elements.find_by_name("other_super"), nullptr);
}

TEST(SourceChooserTest, PreselectionAndTheSuperButton)
{
    SourceChooser chooser;
    EXPECT_EQ(chooser.preselection(nullptr), kSrcCcf);
    chooser.last_choice = kSrcSup;
    EXPECT_EQ(chooser.preselection(nullptr), kSrcSup);
    chooser.inside_super = true;
    EXPECT_FALSE(chooser.enabled(kSrcSup));
    EXPECT_EQ(chooser.preselection(nullptr), kSrcCcf);
    SourceElement edited = new_source_element(kSrcDvr, nullptr);
    EXPECT_EQ(chooser.preselection(&edited), kSrcDvr);
}

}  // namespace
}  // namespace avelor
