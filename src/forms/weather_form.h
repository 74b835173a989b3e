// "Weather and Wind Parameters": the steady weather, the site's wind data,
// its location and the weather of the wind pressure display, edited on a
// working copy of the project's run control and stored on OK.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "model/run_control.h"
#include "model/unit_field.h"

namespace avelor {

class Project;

enum class WeatherPage { Weather, Wind, Location, WindPressureDisplay };
inline constexpr std::array<std::string_view, 4> kWeatherPageCaptions = {"Weather", "Wind", "Location",
                                                                          "Wind Pressure Display"};
inline constexpr std::string_view kWeatherSheetCaption = "Weather and Wind Parameters";

enum class WeatherField {
    // "Weather": the steady weather.
    Temperature,
    Pressure,
    WindSpeed,
    WindDirection,
    RelativeHumidity,
    // "Wind".
    RelativeNorth,
    WallHeight,
    TerrainConstant,
    ProfileExponent,
    // "Location".
    Latitude,
    Longitude,
    TimeZone,
    Altitude,
    // "Wind Pressure Display": the wind pressure test weather.
    TestTemperature,
    TestPressure,
    TestWindSpeed,
    TestWindDirection,
};
inline constexpr int kWeatherFieldCount = 17;

inline constexpr std::string_view kWindPressureDisplayNote =
    "These values are used for determining wind pressure display features only!";
inline constexpr std::string_view kTimeZoneDoubt = "Time zone may be incorrect for the longitude given";
inline constexpr std::string_view kUpdateWaterQuestion =
    "Update default H20 concentration based on humidity ratio (i.e. mass fraction of H2O)?";
inline constexpr std::string_view kRotateQuestion = "Rotate azimuth angles for existing paths?";
inline constexpr std::string_view kReviseModifiersQuestion = "Revise wind pressure modifiers for existing paths?";

class WeatherForm {
public:
    explicit WeatherForm(Project& project);
    WeatherForm(const WeatherForm&) = delete;
    WeatherForm& operator=(const WeatherForm&) = delete;

    const RunControl& working() const { return rc_; }

    // A field's text as shown, and the text typed as the focus leaves it:
    // the numeric field rules (a refusal is a WARNING and the value stays).
    // The humidity ratio follows the temperature, pressure and humidity,
    // the modifier the wind data; a new altitude sets the steady pressure
    // of its standard atmosphere, a time zone far from the longitude warns.
    const UnitField& field(WeatherField f) const { return *fields_[index(f)]; }
    bool set_field(WeatherField f, std::string_view text);

    // The unit list of a field that has one (nullptr otherwise), and a new
    // choice from it: the field shows its value in that unit.
    const UnitSelector* units(WeatherField f) const { return selectors_[index(f)].get(); }
    bool select_unit(WeatherField f, int entry);

    // The day type of the steady weather, 1..12.
    int day_type() const { return rc_.steady.day; }
    bool set_day_type(int day_type);

    // "Humidity Ratio" in g per kg of dry air and the mass fraction of water.
    double humidity_ratio() const;
    std::string humidity_ratio_text() const;
    std::string mass_fraction_text() const;
    // (Ao (wH / 10)^a)^2 with four significant digits.
    double wind_modifier() const;
    std::string wind_modifier_text() const;

    // OK: the questions of changed water vapour, north and wind data, then
    // everything stored and the project marked changed.
    void accept();

private:
    static std::size_t index(WeatherField f) { return static_cast<std::size_t>(f); }

    Project& project_;
    RunControl rc_;
    std::array<std::unique_ptr<UnitField>, kWeatherFieldCount> fields_;
    std::array<std::unique_ptr<UnitSelector>, kWeatherFieldCount> selectors_;
};

}  // namespace avelor
