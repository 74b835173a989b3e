#include "forms/weather_form.h"

#include <cmath>

#include "app/diagnostics.h"
#include "model/project.h"
#include "model/species.h"
#include "outdoor/weather.h"

namespace avelor {

namespace {

// Four significant digits.
std::string four_digits(double value) { return format_number(value, 1, 4); }

float rotated(float azimuth, float by)
{
    float a = std::fmod(azimuth + by, 360.0f);
    if (a < 0) a += 360.0f;
    return a;
}

}  // namespace

WeatherForm::WeatherForm(Project& project) : project_(project), rc_(project.rc)
{
    struct FieldSetup {
        WeatherField field;
        float* value;
        UnitKind kind;
        std::int16_t* unit;  // nullptr: no unit list
        float lower, upper;
    };
    SteadyWeather& w = rc_.steady;
    SteadyWeather& t = rc_.wind_test;
    const FieldSetup setups[] = {
        {WeatherField::Temperature, &w.Ta, UnitKind::Temperature, &w.u[0], 213.15f, 333.15f},
        {WeatherField::Pressure, &w.Pb, UnitKind::Pressure, &w.u[1], 10000, 120000},
        {WeatherField::WindSpeed, &w.Ws, UnitKind::Speed, &w.u[2], 0, NO_LIMIT},
        {WeatherField::WindDirection, &w.Wd, UnitKind::Dimensionless, nullptr, 0, 360},
        {WeatherField::RelativeHumidity, &w.rh, UnitKind::Dimensionless, nullptr, 0, 1},
        {WeatherField::RelativeNorth, &rc_.N, UnitKind::Dimensionless, nullptr, -180, 180},
        {WeatherField::WallHeight, &rc_.wH, UnitKind::Length, &rc_.u_wH, 0, NO_LIMIT},
        {WeatherField::TerrainConstant, &rc_.Ao, UnitKind::Dimensionless, nullptr, 0.2f, 1.0f},
        {WeatherField::ProfileExponent, &rc_.a, UnitKind::Dimensionless, nullptr, 0.1f, 0.5f},
        {WeatherField::Latitude, &rc_.latd, UnitKind::Dimensionless, nullptr, -90, 90},
        {WeatherField::Longitude, &rc_.longtd, UnitKind::Dimensionless, nullptr, -180, 180},
        {WeatherField::TimeZone, &rc_.tznr, UnitKind::Dimensionless, nullptr, -12, 12},
        {WeatherField::Altitude, &rc_.altd, UnitKind::Length, &rc_.u_loc[1], -1525, 11000},
        {WeatherField::TestTemperature, &t.Ta, UnitKind::Temperature, &t.u[0], 213.15f, 333.15f},
        {WeatherField::TestPressure, &t.Pb, UnitKind::Pressure, &t.u[1], 10000, 120000},
        {WeatherField::TestWindSpeed, &t.Ws, UnitKind::Speed, &t.u[2], 0, NO_LIMIT},
        {WeatherField::TestWindDirection, &t.Wd, UnitKind::Dimensionless, nullptr, 0, 360},
    };
    for (const FieldSetup& s : setups) {
        const int unit = s.unit ? *s.unit : 0;
        fields_[index(s.field)] = std::make_unique<UnitField>(*s.value, s.kind, unit, s.lower, s.upper);
        if (s.unit) selectors_[index(s.field)] = std::make_unique<UnitSelector>(s.kind, *s.value, *s.unit);
    }
}

bool WeatherForm::set_field(WeatherField f, std::string_view text)
{
    if (!fields_[index(f)]->validate(text)) return false;
    if (f == WeatherField::Altitude) {
        // The standard atmosphere's pressure at the site.
        rc_.steady.Pb = static_cast<float>(altitude_pressure(rc_.altd));
        fields_[index(WeatherField::Pressure)]->refresh();
    }
    if ((f == WeatherField::TimeZone || f == WeatherField::Longitude) && time_zone_doubtful(rc_.tznr, rc_.longtd))
        show_message(WARNING, {kTimeZoneDoubt});
    return true;
}

bool WeatherForm::select_unit(WeatherField f, int entry)
{
    UnitSelector* selector = selectors_[index(f)].get();
    if (!selector || !selector->select(entry)) return false;
    fields_[index(f)]->set_unit(selector->selected());
    return true;
}

bool WeatherForm::set_day_type(int day_type)
{
    if (day_type < 1 || day_type > 12) return false;
    rc_.steady.day = static_cast<std::int16_t>(day_type);
    return true;
}

double WeatherForm::humidity_ratio() const { return avelor::humidity_ratio(rc_.steady.Ta, rc_.steady.rh, rc_.steady.Pb); }

std::string WeatherForm::humidity_ratio_text() const { return four_digits(1000.0 * humidity_ratio()); }

std::string WeatherForm::mass_fraction_text() const { return four_digits(water_mass_fraction(humidity_ratio())); }

double WeatherForm::wind_modifier() const { return wind_speed_modifier(rc_.wH, rc_.Ao, rc_.a); }

std::string WeatherForm::wind_modifier_text() const { return four_digits(wind_modifier()); }

void WeatherForm::accept()
{
    RunControl& stored = project_.rc;
    // Water vapour: the H2O species takes the new humidity when asked.
    const double W = humidity_ratio();
    if (Species* h2o = project_.species.find_by_name("H2O")) {
        const double before = avelor::humidity_ratio(stored.steady.Ta, stored.steady.rh, stored.steady.Pb);
        if (W != before && ask_question(kUpdateWaterQuestion) == 1) {
            const auto fraction = static_cast<float>(water_mass_fraction(W));
            h2o->CCdef = fraction;
            for (std::size_t k = 0; k < project_.Ctm.size() && k < project_.CC0.size(); ++k)
                if (project_.Ctm[k] == h2o) project_.CC0[k] = fraction;
        }
    }
    // Relative north: the azimuths of the walls turn with it.
    const float turn = rc_.N - stored.N;
    if (turn != 0 && ask_question(kRotateQuestion) == 1) {
        for (FlowPath& p : project_.paths) p.wazm = rotated(p.wazm, turn);
        for (Junction& j : project_.junctions)
            if (j.t != kJunctionPlain && j.terminal.wall_azimuth() >= 0)
                j.terminal.wall_azimuth() = rotated(j.terminal.wall_azimuth(), turn);
    }
    const auto modifier = static_cast<float>(wind_modifier());
    rc_.wind_modifier_squared = modifier;
    if ((rc_.wH != stored.wH || rc_.Ao != stored.Ao || rc_.a != stored.a) &&
        ask_question(kReviseModifiersQuestion) == 1) {
        for (FlowPath& p : project_.paths)
            if ((p.flags & kPathWindPressure) && p.wind_profile) p.wPmod = modifier;
        for (Junction& j : project_.junctions)
            if (j.t != kJunctionPlain && (j.flags & kJunctionWind)) j.terminal.wind_modifier() = modifier;
    }
    const double latitude = rc_.latd * 3.14159265358979323846 / 180.0;
    rc_.sin_latitude = std::sin(latitude);
    rc_.cos_latitude = std::cos(latitude);
    copy_weather_and_site(rc_, stored);
    project_.mark_changed();
}

}  // namespace avelor
