#include "forms/filter_data_forms.h"

#include <algorithm>
#include <cmath>

#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "forms/filter_element_form.h"
#include "model/curve_fit.h"
#include "model/units.h"

namespace avelor {

namespace {

// A message box shows at most this many characters after its leading
// blank, so the list of failed segments stops before a line would be cut.
constexpr std::size_t kBoxTextLimit = 254;

// Bounds of the curve dialogs' entries, base units.
constexpr float kMinParticleSize = 9.9999e-12f;   // m
constexpr float kMaxParticleSize = 0.0100001f;    // m
constexpr float kMinEfficiency = -1e-10f;
constexpr float kMinLoading = -1e-6f;

// Steps of the particle chart's curve, and samples of the gaseous one.
constexpr int kParticleCurveSteps = 1000;
constexpr int kGaseousCurveSteps = 200;

bool same_x(float a, float b)
{
    return a == b || std::fabs(static_cast<double>(a) - b) <= 1e-6 * std::fabs(static_cast<double>(a) + b);
}

FilterDataAnswer refuse(int severity, std::string text, FilterDataField field)
{
    if (!text.empty()) show_message(severity, {text});
    return FilterDataAnswer::refused(severity, std::move(text), field);
}

// spline_build reports bad spacing in a box; the charts, drawn after every
// edit, must not: they build only from strictly rising X.
bool rising(const SplineTable& table)
{
    if (table.size() < 2) return false;
    for (std::size_t i = 1; i < table.size(); ++i)
        if (!(table[i].x > table[i - 1].x)) return false;
    return true;
}

std::optional<SplineTable> quiet_spline(SplineTable table)
{
    if (!rising(table) || spline_build(table) != 0) return std::nullopt;
    return table;
}

// The acceptance test of one curve: the spline is made (a failure has
// reported itself), then checked in the given mode.
std::optional<FilterDataAnswer> check_curve(SplineTable table, std::string_view name, int mode)
{
    if (spline_build(table) != 0) return FilterDataAnswer::refused(ERROR, {}, FilterDataField::Points);
    std::vector<std::string> faults;
    if (spline_check(name, table, mode, faults) == 0) return std::nullopt;
    return refuse(ERROR, curve_fit_refusal(faults), FilterDataField::Points);
}

}  // namespace

// ---- constant efficiency ----------------------------------------------------

ConstantEfficiencyForm::ConstantEfficiencyForm(const ConstantEfficiencyData& data, const NamedList<Species>& species)
    : data_(data)
{
    data_.efficiency.resize(data_.species.size(), 0.0f);
    for (Species& s : species) {
        species_.push_back(&s);
        names_.push_back(s.name);
    }
    if (!species_.empty()) chosen_ = 0;
    efficiency_ = std::make_unique<UnitField>(entry_, UnitKind::Dimensionless, 0, 0.0f, 1.0f);
}

int ConstantEfficiencyForm::listed(const Species* s) const
{
    const auto it = std::find(data_.species.begin(), data_.species.end(), s);
    return it == data_.species.end() ? -1 : static_cast<int>(it - data_.species.begin());
}

std::vector<std::string> ConstantEfficiencyForm::lines() const
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < data_.species.size(); ++i) {
        TextWriter line;
        line.printf("%16s  %10g", data_.species[i] ? data_.species[i]->name.c_str() : "",
                    static_cast<double>(data_.efficiency[i]));
        out.push_back(line.take());
    }
    return out;
}

void ConstantEfficiencyForm::choose_species(int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < species_.size()) chosen_ = index;
}

void ConstantEfficiencyForm::select(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= data_.species.size()) {
        selected_ = -1;
        return;
    }
    selected_ = row;
    const auto i = static_cast<std::size_t>(row);
    const auto it = std::find(species_.begin(), species_.end(), data_.species[i]);
    if (it != species_.end()) chosen_ = static_cast<int>(it - species_.begin());
    entry_ = data_.efficiency[i];
    efficiency_->refresh();
}

bool ConstantEfficiencyForm::can_add() const
{
    return chosen_ >= 0 && listed(species_[static_cast<std::size_t>(chosen_)]) < 0;
}

bool ConstantEfficiencyForm::can_replace() const
{
    return chosen_ >= 0 && can_delete() &&
           data_.species[static_cast<std::size_t>(selected_)] == species_[static_cast<std::size_t>(chosen_)];
}

int ConstantEfficiencyForm::add()
{
    if (!can_add()) return selected_;
    Species* s = species_[static_cast<std::size_t>(chosen_)];
    std::size_t at = 0;
    while (at < data_.species.size() && !(data_.species[at] && name_before(data_.species[at]->name, s->name))) ++at;
    data_.species.insert(data_.species.begin() + static_cast<std::ptrdiff_t>(at), s);
    data_.efficiency.insert(data_.efficiency.begin() + static_cast<std::ptrdiff_t>(at), entry_);
    selected_ = static_cast<int>(at);
    return selected_;
}

int ConstantEfficiencyForm::replace()
{
    if (!can_replace()) return selected_;
    data_.efficiency[static_cast<std::size_t>(selected_)] = entry_;
    return selected_;
}

int ConstantEfficiencyForm::remove()
{
    if (!can_delete()) return selected_;
    const auto i = static_cast<std::ptrdiff_t>(selected_);
    data_.species.erase(data_.species.begin() + i);
    data_.efficiency.erase(data_.efficiency.begin() + i);
    selected_ = -1;
    return selected_;
}

FilterDataAnswer ConstantEfficiencyForm::accept()
{
    if (data_.species.empty())
        return refuse(WARNING, std::string(kNoFilteredSpeciesMessage), FilterDataField::List);
    return FilterDataAnswer::ok();
}

// ---- curve points -------------------------------------------------------------

std::optional<std::size_t> add_curve_point(std::vector<float>& x, std::vector<float>& y, float new_x, float new_y)
{
    const auto match = std::find_if(x.begin(), x.end(), [new_x](float xi) { return same_x(xi, new_x); });
    std::size_t at;
    if (match != x.end()) {
        at = static_cast<std::size_t>(match - x.begin());
    } else {
        if (x.size() >= static_cast<std::size_t>(kMaxFilterPoints)) return std::nullopt;
        at = x.size();
        x.push_back(0);
        y.push_back(0);
    }
    x[at] = new_x;
    y[at] = new_y;
    // Insertion sort that moves a point only past strictly greater X.
    while (at > 0 && x[at - 1] > x[at]) {
        std::swap(x[at - 1], x[at]);
        std::swap(y[at - 1], y[at]);
        --at;
    }
    while (at + 1 < x.size() && x[at + 1] < x[at]) {
        std::swap(x[at + 1], x[at]);
        std::swap(y[at + 1], y[at]);
        ++at;
    }
    return at;
}

std::string curve_point_line(double x, double y)
{
    TextWriter line;
    line.printf("%10.3e %30.3f", x, y);
    return line.take();
}

std::string curve_fit_refusal(const std::vector<std::string>& faults)
{
    std::string text = "Unacceptable curve fit.";
    for (std::size_t i = 0; i < faults.size(); ++i) {
        if (faults[i].empty()) continue;
        TextWriter line;
        line.printf("\n  seg %3d: %s", static_cast<int>(i), faults[i].c_str());
        if (text.size() + line.text().size() > kBoxTextLimit) break;
        text += line.text();
    }
    return text;
}

// ---- simple particle ----------------------------------------------------------

ParticleFilterForm::ParticleFilterForm(const ParticleFilterData& data, std::string name)
    : data_(data), name_(std::move(name))
{
    data_.efficiency.resize(data_.size.size(), 0.0f);
    if (!unit_index_valid(UnitKind::Length, data_.size_unit)) data_.size_unit = 0;
    size_ = std::make_unique<UnitField>(entry_size_, UnitKind::Length, data_.size_unit, kMinParticleSize,
                                        kMaxParticleSize);
    efficiency_ = std::make_unique<UnitField>(entry_efficiency_, UnitKind::Dimensionless, 0, kMinEfficiency, 1.0f);
    size_unit_ = std::make_unique<UnitSelector>(UnitKind::Length, entry_size_, data_.size_unit);
}

double ParticleFilterForm::shown_size(float metres) const
{
    return convert_units(metres, true, UnitKind::Length, data_.size_unit);
}

void ParticleFilterForm::select_size_unit(int index)
{
    if (!size_unit_->select(index)) return;
    size_->set_unit(size_unit_->selected());
}

std::vector<std::string> ParticleFilterForm::lines() const
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < point_count(); ++i)
        out.push_back(curve_point_line(shown_size(data_.size[i]), data_.efficiency[i]));
    return out;
}

void ParticleFilterForm::select(std::size_t i)
{
    if (i >= point_count()) return;
    entry_size_ = data_.size[i];
    entry_efficiency_ = data_.efficiency[i];
    size_->refresh();
    efficiency_->refresh();
}

int ParticleFilterForm::add()
{
    const auto at = add_curve_point(data_.size, data_.efficiency, entry_size_, entry_efficiency_);
    return at ? static_cast<int>(*at) : -1;
}

int ParticleFilterForm::remove(std::size_t i)
{
    if (!can_delete() || i >= point_count()) return -1;
    data_.size.erase(data_.size.begin() + static_cast<std::ptrdiff_t>(i));
    data_.efficiency.erase(data_.efficiency.begin() + static_cast<std::ptrdiff_t>(i));
    return static_cast<int>(std::min(i, point_count() - 1));
}

FilterDataAnswer ParticleFilterForm::accept()
{
    if (point_count() < 3) return refuse(WARNING, std::string(kTooFewParticlePointsMessage), FilterDataField::Points);
    SplineTable table(point_count());
    for (std::size_t i = 0; i < point_count(); ++i) {
        table[i].x = std::log10(shown_size(data_.size[i]));
        table[i].y = data_.efficiency[i];
    }
    if (auto refused = check_curve(std::move(table), name_, kSplineEfficiency)) return *refused;
    return FilterDataAnswer::ok();
}

CurveRun ParticleFilterForm::chart_points() const
{
    CurveRun run;
    for (std::size_t i = 0; i < point_count(); ++i) {
        run.x.push_back(shown_size(data_.size[i]));
        run.y.push_back(data_.efficiency[i]);
    }
    return run;
}

CurveRun ParticleFilterForm::chart_curve() const
{
    CurveRun run;
    if (point_count() < 2) return run;
    SplineTable points(point_count());
    for (std::size_t i = 0; i < point_count(); ++i) {
        const double shown = shown_size(data_.size[i]);
        if (!(shown > 0)) return run;
        points[i].x = std::log10(shown);
        points[i].y = data_.efficiency[i];
    }
    const auto table = quiet_spline(std::move(points));
    if (!table) return run;
    const double from = table->front().x - 1;
    const double to = table->back().x + 1;
    std::size_t hint = 0;
    for (int step = 0; step <= kParticleCurveSteps; ++step) {
        const double lx = from + (to - from) * step / kParticleCurveSteps;
        run.x.push_back(std::pow(10.0, lx));
        run.y.push_back(spline_eval(lx, *table, hint).y);
    }
    return run;
}

std::string ParticleFilterForm::x_axis_title() const
{
    return "Particle Mean Diameter [" + unit_display_name(UnitKind::Length, data_.size_unit) + "]";
}

// ---- simple gaseous -----------------------------------------------------------

GaseousFilterForm::GaseousFilterForm(const GaseousFilterData& data, const NamedList<Species>& species,
                                     std::string name)
    : data_(data), name_(std::move(name))
{
    for (GaseousCurve& c : data_.curves) c.efficiency.resize(c.loading.size(), 0.0f);
    for (Species& s : species) {
        if (!is_gaseous(s)) continue;
        species_.push_back(&s);
        names_.push_back(s.name);
    }
    breakthrough_ = std::make_unique<UnitField>(entry_breakthrough_, UnitKind::Dimensionless, 0, kMinEfficiency, 1.0f);
    loading_ = std::make_unique<UnitField>(entry_loading_, UnitKind::Dimensionless, 0, kMinLoading, NO_LIMIT);
    efficiency_ = std::make_unique<UnitField>(entry_efficiency_, UnitKind::Dimensionless, 0, kMinEfficiency, 1.0f);
    // Start on the first filtered species, else the first gaseous one.
    int first = species_.empty() ? -1 : 0;
    if (!data_.curves.empty()) {
        const auto it = std::find(species_.begin(), species_.end(), data_.curves.front().species);
        if (it != species_.end()) first = static_cast<int>(it - species_.begin());
    }
    choose_species(first);
}

void GaseousFilterForm::choose_species(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= species_.size()) return;
    chosen_ = index;
    const GaseousCurve* c = curve();
    entry_breakthrough_ = c ? c->breakthrough : 0.0f;
    breakthrough_->refresh();
}

GaseousCurve* GaseousFilterForm::curve_mut()
{
    if (chosen_ < 0) return nullptr;
    const Species* s = species_[static_cast<std::size_t>(chosen_)];
    for (GaseousCurve& c : data_.curves)
        if (c.species == s) return &c;
    return nullptr;
}

const GaseousCurve* GaseousFilterForm::curve() const { return const_cast<GaseousFilterForm*>(this)->curve_mut(); }

bool GaseousFilterForm::leave_breakthrough(std::string_view text)
{
    if (!breakthrough_->validate(text)) return false;
    if (GaseousCurve* c = curve_mut()) c->breakthrough = entry_breakthrough_;
    return true;
}

std::vector<std::string> GaseousFilterForm::lines() const
{
    std::vector<std::string> out;
    if (const GaseousCurve* c = curve())
        for (std::size_t i = 0; i < c->loading.size(); ++i) out.push_back(curve_point_line(c->loading[i], c->efficiency[i]));
    return out;
}

void GaseousFilterForm::select(std::size_t i)
{
    const GaseousCurve* c = curve();
    if (!c || i >= c->loading.size()) return;
    entry_loading_ = c->loading[i];
    entry_efficiency_ = c->efficiency[i];
    loading_->refresh();
    efficiency_->refresh();
}

bool GaseousFilterForm::can_add() const
{
    if (chosen_ < 0) return false;
    const GaseousCurve* c = curve();
    return !c || c->loading.size() < static_cast<std::size_t>(kMaxFilterPoints);
}

bool GaseousFilterForm::can_delete() const
{
    const GaseousCurve* c = curve();
    return c && c->loading.size() > 4;
}

int GaseousFilterForm::add()
{
    if (!can_add()) return -1;
    GaseousCurve* c = curve_mut();
    if (!c) {
        data_.curves.push_back(GaseousCurve{species_[static_cast<std::size_t>(chosen_)], 0.0f, {}, {}});
        c = &data_.curves.back();
    }
    const auto at = add_curve_point(c->loading, c->efficiency, entry_loading_, entry_efficiency_);
    return at ? static_cast<int>(*at) : -1;
}

int GaseousFilterForm::remove(std::size_t i)
{
    GaseousCurve* c = curve_mut();
    if (!can_delete() || !c || i >= c->loading.size()) return -1;
    c->loading.erase(c->loading.begin() + static_cast<std::ptrdiff_t>(i));
    c->efficiency.erase(c->efficiency.begin() + static_cast<std::ptrdiff_t>(i));
    return static_cast<int>(std::min(i, c->loading.size() - 1));
}

FilterDataAnswer GaseousFilterForm::accept()
{
    const bool short_curve = std::any_of(data_.curves.begin(), data_.curves.end(),
                                         [](const GaseousCurve& c) { return c.loading.size() < 4; });
    if (data_.curves.empty() || short_curve)
        return refuse(WARNING, std::string(kTooFewGaseousPointsMessage), FilterDataField::Points);
    for (const GaseousCurve& c : data_.curves) {
        SplineTable table(c.loading.size());
        for (std::size_t i = 0; i < c.loading.size(); ++i) {
            table[i].x = c.loading[i];
            table[i].y = c.efficiency[i];
        }
        if (auto refused = check_curve(std::move(table), name_, kSplineFalling)) return *refused;
    }
    return FilterDataAnswer::ok();
}

CurveRun GaseousFilterForm::chart_points() const
{
    CurveRun run;
    if (const GaseousCurve* c = curve())
        for (std::size_t i = 0; i < c->loading.size(); ++i) {
            run.x.push_back(c->loading[i]);
            run.y.push_back(c->efficiency[i]);
        }
    return run;
}

CurveRun GaseousFilterForm::chart_curve() const
{
    CurveRun run;
    const GaseousCurve* c = curve();
    if (!c || c->loading.size() < 2) return run;
    SplineTable points(c->loading.size());
    for (std::size_t i = 0; i < c->loading.size(); ++i) {
        points[i].x = c->loading[i];
        points[i].y = c->efficiency[i];
    }
    const auto table = quiet_spline(std::move(points));
    if (!table) return run;
    const double from = table->front().x;
    const double to = table->back().x;
    std::size_t hint = 0;
    for (int step = 0; step <= kGaseousCurveSteps; ++step) {
        const double x = from + (to - from) * step / kGaseousCurveSteps;
        run.x.push_back(x);
        run.y.push_back(spline_eval(x, *table, hint).y);
    }
    return run;
}

// ---- Penn State UVGI ------------------------------------------------------------

namespace {

// Lower bounds of S, v, F and k; S is at most 1.
constexpr float kMinSurvivability = 1e-5f;
constexpr float kMinVelocity = 1e-5f;    // m/s
constexpr float kMinMassFlow = 1e-5f;    // kg/s
constexpr float kMinRateConstant = 1e-10f;  // m2/J

}  // namespace

UvgiFilterForm::UvgiFilterForm(const UvgiFilterData& data) : data_(data)
{
    if (!unit_index_valid(UnitKind::Speed, data_.u_v)) data_.u_v = 0;
    if (!unit_index_valid(UnitKind::MassFlow, data_.u_F)) data_.u_F = 0;
    if (!unit_index_valid(UnitKind::Area, data_.u_A)) data_.u_A = 0;
    derive_uvgi(data_);
    const auto plain = [](float& value, float lower = NO_LIMIT, float upper = NO_LIMIT) {
        return std::make_unique<UnitField>(value, UnitKind::Dimensionless, 0, lower, upper);
    };
    fields_.push_back(plain(data_.S, kMinSurvivability, 1.0f));
    fields_.push_back(std::make_unique<UnitField>(data_.v, UnitKind::Speed, data_.u_v, kMinVelocity, NO_LIMIT));
    fields_.push_back(std::make_unique<UnitField>(data_.F, UnitKind::MassFlow, data_.u_F, kMinMassFlow, NO_LIMIT));
    fields_.push_back(plain(data_.k, kMinRateConstant));
    for (float& c : data_.C) fields_.push_back(plain(c));
    fields_.push_back(plain(data_.K0));
    fields_.push_back(plain(data_.K1));
    u_v_ = std::make_unique<UnitSelector>(UnitKind::Speed, data_.v, data_.u_v);
    u_F_ = std::make_unique<UnitSelector>(UnitKind::MassFlow, data_.F, data_.u_F);
    u_A_ = std::make_unique<UnitSelector>(UnitKind::Area, data_.A, data_.u_A);
}

bool UvgiFilterForm::leave(UvgiValue which, std::string_view text)
{
    const bool ok = fields_[static_cast<std::size_t>(which)]->validate(text);
    if (ok) derive_uvgi(data_);
    return ok;
}

void UvgiFilterForm::select_velocity_unit(int index)
{
    if (u_v_->select(index)) fields_[static_cast<std::size_t>(UvgiValue::v)]->set_unit(u_v_->selected());
}

void UvgiFilterForm::select_flow_unit(int index)
{
    if (u_F_->select(index)) fields_[static_cast<std::size_t>(UvgiValue::F)]->set_unit(u_F_->selected());
}

void UvgiFilterForm::select_area_unit(int index) { u_A_->select(index); }

std::string UvgiFilterForm::area_text() const
{
    return format_number(convert_units(data_.A, true, UnitKind::Area, data_.u_A), 6);
}

std::string UvgiFilterForm::dose_text() const { return format_number(data_.D, 6); }

}  // namespace avelor
