#include "model/unit_field.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/diagnostics.h"

namespace avelor {

namespace {

constexpr std::size_t kTooManyCharacters = 20;
// The largest magnitude a stored float can hold.
constexpr double kFloatLimit = 3.4028235e38;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_blanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Checks [sign](digits[.digits]|.digits)[(e|E)[sign]digits] and finds the
// power of ten just above the leading non-zero digit, which tells an
// overflow from an underflow when the number is out of a double's range.
bool decimal_syntax(std::string_view s, long long& magnitude)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    long long lead = 0;
    bool nonzero = false;
    std::size_t digits = 0;
    for (; i < s.size() && is_digit(s[i]); ++i, ++digits) {
        if (nonzero) {
            ++lead;
        } else if (s[i] != '0') {
            nonzero = true;
            lead = 1;
        }
    }
    if (i < s.size() && s[i] == '.') {
        long long zeros = 0;
        for (++i; i < s.size() && is_digit(s[i]); ++i, ++digits) {
            if (nonzero) continue;
            if (s[i] != '0') {
                nonzero = true;
                lead = -zeros;
            } else {
                ++zeros;
            }
        }
    }
    if (digits == 0) return false;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        if (i == s.size() || !is_digit(s[i])) return false;
        for (; i < s.size() && is_digit(s[i]); ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (s[i] - '0');
        if (negative) exponent = -exponent;
    }
    magnitude = lead + exponent;
    return i == s.size();
}

std::string bound_message(std::string_view which, float bound, UnitKind kind, int unit,
                          const Species* species)
{
    const float shown = convert_units(bound, true, kind, unit, species);
    return "Value must not be " + std::string(which) + " than " +
           format_number(shown, 0) + " " + unit_plain_name(kind, unit);
}

}  // namespace

std::string format_number(double value, int width, int precision)
{
    std::string text(64, '\0');
    const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value,
                                         std::chars_format::general, precision);
    text.resize(ec == std::errc{} ? static_cast<std::size_t>(end - text.data()) : 0);
    const auto field = static_cast<std::size_t>(std::abs(width));
    if (text.size() < field) {
        if (width < 0)
            text.append(field - text.size(), ' ');
        else
            text.insert(0, field - text.size(), ' ');
    }
    return text;
}

std::optional<double> parse_typed_number(std::string_view text)
{
    const std::string_view s = trim_blanks(text);
    long long magnitude = 0;
    if (!decimal_syntax(s, magnitude)) return std::nullopt;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const bool negative = *first == '-';
    // from_chars takes a minus sign but no plus sign.
    if (*first == '+') ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc{} && end == last) return value;
    if (ec != std::errc::result_out_of_range || magnitude > 0) return std::nullopt;
    return negative ? -0.0 : 0.0;
}

UnitField::UnitField(float& value, UnitKind kind, int unit, float lower, float upper,
                     const Species* species)
    : value_(&value), kind_(kind), unit_(unit), lower_(lower), upper_(upper), species_(species)
{
    refresh();
}

bool UnitField::validate(std::string_view text)
{
    if (text.size() >= kTooManyCharacters) {
        show_message(WARNING, {"There are too many digits in this number."});
        return refuse();
    }
    const std::string not_a_number = "Not a valid number: \"" + std::string(text) + "\"";
    const std::optional<double> typed = parse_typed_number(text);
    if (!typed || std::fabs(*typed) > kFloatLimit) {
        show_message(WARNING, {not_a_number});
        return refuse();
    }
    const Conversion base =
        convert_units_checked(static_cast<float>(*typed), false, kind_, unit_, species_);
    if (!base.ok()) {
        // The converter has said what the species lacks; showing the stored
        // value through the same unit would only say it again.
        shown_ = format_number(*value_, 6);
        return false;
    }
    // A number a float holds in this unit may still be beyond one in the
    // base unit (1e38 in. H2O); it must never be stored as infinity.
    if (!std::isfinite(base.value)) {
        show_message(WARNING, {not_a_number});
        return refuse();
    }
    if (lower_ != NO_LIMIT && base.value < lower_) {
        show_message(WARNING, {bound_message("less", lower_, kind_, unit_, species_)});
        return refuse();
    }
    if (upper_ != NO_LIMIT && base.value > upper_) {
        show_message(WARNING, {bound_message("greater", upper_, kind_, unit_, species_)});
        return refuse();
    }
    *value_ = base.value;
    shown_ = format_number(*typed, 6);
    return true;
}

bool UnitField::refuse()
{
    refresh();
    return false;
}

void UnitField::refresh()
{
    shown_ = format_number(convert_units(*value_, true, kind_, unit_, species_), 6);
}

void UnitField::set_unit(int unit)
{
    unit_ = unit;
    refresh();
}

void UnitField::set_kind(UnitKind kind, int unit)
{
    kind_ = kind;
    set_unit(unit);
}

UnitSelector::UnitSelector(UnitKind kind, float& value, std::int16_t& unit, const Species* species)
    : kind_(kind), value_(&value), unit_(&unit), species_(species)
{
    select_stored();
}

void UnitSelector::select_stored()
{
    selected_ = 0;
    if (!unit_index_valid(kind_, *unit_)) return;
    const std::string& name = unit_display_name(kind_, *unit_);
    const auto entries = names();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == name) {
            selected_ = static_cast<int>(i);
            return;
        }
    }
}

std::string UnitSelector::shown_text() const
{
    const float shown = convert_units(*value_, true, kind_, selected_, species_);
    if (kind_ == UnitKind::Pressure) return format_number(shown, 4, 6);
    return format_number(shown, 3, 5);
}

bool UnitSelector::select(int new_index)
{
    if (!unit_index_valid(kind_, new_index)) return false;
    if (!convert_units_checked(*value_, true, kind_, new_index, species_).ok()) return false;
    selected_ = new_index;
    *unit_ = static_cast<std::int16_t>(new_index);
    return true;
}

void UnitSelector::set_kind(UnitKind kind)
{
    kind_ = kind;
    select_stored();
}

}  // namespace avelor
