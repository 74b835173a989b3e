#include "filter_model.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <variant>

#include "model/filter_element.h"
#include "model/project.h"
#include "model/species.h"
#include "model/units.h"

namespace avelor::engine {

namespace {

std::string element_text(const FilterElement& element) { return "The filter element " + element.name; }

int index_of(const std::vector<const Species*>& contaminants, const Species* species)
{
    const auto it = std::find(contaminants.begin(), contaminants.end(), species);
    return it == contaminants.end() ? -1 : static_cast<int>(it - contaminants.begin());
}

// A curve through the points, or EngineError when it cannot be drawn.
SplineTable curve_table(const std::vector<double>& x, const std::vector<float>& y, const std::string& what)
{
    if (x.size() != y.size() || x.empty())
        throw EngineError(what + " has no usable curve.");
    SplineTable table;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]))
            throw EngineError(what + " has a curve point that is not a number.");
        if (i > 0 && !(x[i] > x[i - 1]))
            throw EngineError(what + " has curve points that do not rise strictly.");
        table.push_back(SplineRow{x[i], y[i], 0, 0, 0});
    }
    if (table.size() == 1) {
        // One point: the same efficiency everywhere.
        table.push_back(SplineRow{x[0] + 1, y[0], 0, 0, 0});
    }
    if (spline_build(table) != 0)
        throw EngineError(what + " has a curve that cannot be fitted.");
    return table;
}

double clamp01(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

}  // namespace

FilterModel::FilterModel(const std::vector<const Filter*>& link_filters, const std::vector<const Species*>& contaminants)
    : nctm_(static_cast<int>(contaminants.size()))
{
    const std::size_t nctm = contaminants.size();
    slot_.assign(link_filters.size(), -1);
    for (std::size_t li = 0; li < link_filters.size(); ++li) {
        const Filter* filter = link_filters[li];
        if (!filter) continue;
        if (!filter->element)
            throw EngineError("Filter " + std::to_string(filter->nr) + " has no filter element.");
        slot_[li] = static_cast<int>(filtered_links_.size());
        filtered_links_.push_back(static_cast<int>(li));
        first_stage_.push_back(static_cast<int>(stages_.size()));

        std::vector<const FilterElement*> subs;
        if (const auto* super = std::get_if<SuperFilterData>(&filter->element->data)) {
            for (const FilterElement* sub : super->subs) {
                if (!sub) throw EngineError(element_text(*filter->element) + " names a sub-element that is missing.");
                if (sub->type == kFltSpf || std::holds_alternative<SuperFilterData>(sub->data))
                    throw EngineError(element_text(*filter->element) + " holds a super element.");
                subs.push_back(sub);
            }
            if (subs.empty()) throw EngineError(element_text(*filter->element) + " has no sub-elements.");
        } else {
            subs.push_back(filter->element);
        }

        for (std::size_t k = 0; k < subs.size(); ++k) {
            const FilterElement& element = *subs[k];
            const std::string what = element_text(element);
            if (!filter_data_fits(element) || std::holds_alternative<std::monostate>(element.data))
                throw EngineError(what + " has no data of its type.");
            Stage stage;
            stage.mass = static_cast<double>(element.density) * element.area * element.depth;
            if (!(stage.mass > 0) || !std::isfinite(stage.mass))
                throw EngineError(what + " has no mass (density x area x depth).");
            std::vector<SpeciesRule> rules(nctm);
            if (const auto* cef = std::get_if<ConstantEfficiencyData>(&element.data)) {
                for (std::size_t i = 0; i < cef->species.size() && i < cef->efficiency.size(); ++i) {
                    const int a = index_of(contaminants, cef->species[i]);
                    if (a >= 0) rules[static_cast<std::size_t>(a)] = {Rule::Fixed, clamp01(cef->efficiency[i]), -1};
                }
            } else if (const auto* pf = std::get_if<ParticleFilterData>(&element.data)) {
                // The curve's axis: log10 of the size in the unit it was drawn in.
                const auto in_unit = [&](double metres) {
                    return std::log10(static_cast<double>(
                        convert_units(static_cast<float>(metres), true, UnitKind::Length, pf->size_unit)));
                };
                std::vector<double> x;
                for (float size : pf->size) {
                    if (!(size > 0)) throw EngineError(what + " has a particle size not above 0.");
                    x.push_back(in_unit(size));
                }
                const SplineTable table = curve_table(x, pf->efficiency, what);
                std::size_t hint = 0;
                for (std::size_t a = 0; a < nctm; ++a) {
                    const double d = contaminants[a]->mdiam;
                    if (d > 0 && std::isfinite(d))
                        rules[a] = {Rule::Fixed, clamp01(spline_eval(in_unit(d), table, hint).y), -1};
                }
            } else if (const auto* gf = std::get_if<GaseousFilterData>(&element.data)) {
                stage.by_loading = true;
                for (const GaseousCurve& curve : gf->curves) {
                    const int a = index_of(contaminants, curve.species);
                    if (a < 0) continue;
                    const std::vector<double> x(curve.loading.begin(), curve.loading.end());
                    Curve c;
                    c.table = curve_table(x, curve.efficiency, what);
                    c.last_x = x.back();
                    rules[static_cast<std::size_t>(a)] = {Rule::Loading, clamp01(curve.breakthrough),
                                                          static_cast<int>(curves_.size())};
                    curves_.push_back(std::move(c));
                }
            } else if (const auto* uv = std::get_if<UvgiFilterData>(&element.data)) {
                stage.by_flow = true;
                stage.collects = false;
                stage.design_flow = uv->F;
                const double S = uv->S, k = uv->k;
                if (!(S > 0 && S <= 1) || !(k > 0) || !(stage.design_flow > 0) || !std::isfinite(k) ||
                    !std::isfinite(stage.design_flow))
                    throw EngineError(what +
                                      " needs a design survivability in 0..1 and a rate constant and design flow "
                                      "above 0.");
                const double dose = -std::log(S) / k;  // J/m2 at the design flow
                for (std::size_t a = 0; a < nctm; ++a) {
                    const Species& s = *contaminants[a];
                    if (!(s.mdiam > 0)) continue;
                    const double ka = s.Kuv > 0 && std::isfinite(s.Kuv) ? static_cast<double>(s.Kuv) : k;
                    rules[a] = {Rule::Dose, -ka * dose, -1};
                }
            } else {
                throw EngineError(what + " is of a type the engine does not know.");
            }
            stages_.push_back(stage);
            rules_.insert(rules_.end(), rules.begin(), rules.end());

            // The loadings it starts from.
            std::vector<double> load(nctm, 0.0);
            if (k < filter->loads.size())
                for (const SpeciesLoad& sl : filter->loads[k].species) {
                    const int a = index_of(contaminants, sl.species);
                    if (a >= 0 && std::isfinite(sl.loading) && sl.loading > 0)
                        load[static_cast<std::size_t>(a)] = sl.loading;
                }
            load_.insert(load_.end(), load.begin(), load.end());
        }
    }
    first_stage_.push_back(static_cast<int>(stages_.size()));
    eta_.assign(stages_.size() * 2 * nctm, 0.0);
    pass_.assign(filtered_links_.size() * 2 * nctm, 1.0);
}

double FilterModel::stage_efficiency(std::size_t stage, std::size_t a, double q)
{
    const SpeciesRule& r = rules_[stage * nctm_u() + a];
    switch (r.rule) {
    case Rule::None:
        return 0;
    case Rule::Fixed:
        return r.value;
    case Rule::Loading: {
        const double L = load_[stage * nctm_u() + a];
        Curve& c = curves_[static_cast<std::size_t>(r.curve)];
        if (L > c.last_x) return r.value;
        return std::max(r.value, clamp01(spline_eval(L, c.table, c.hint).y));
    }
    case Rule::Dose: {
        // Survival exp(lnS F_design / F); no flow, no survival.
        if (!(q > 0)) return 1;
        return clamp01(1 - std::exp(r.value * stages_[stage].design_flow / q));
    }
    }
    return 0;
}

void FilterModel::prepare(const std::vector<Link>& links)
{
    const std::size_t nctm = nctm_u();
    for (std::size_t s = 0; s < filtered_links_.size(); ++s) {
        const Link& l = links.at(static_cast<std::size_t>(filtered_links_[s]));
        const auto first = static_cast<std::size_t>(first_stage_[s]), last = static_cast<std::size_t>(first_stage_[s + 1]);
        for (std::size_t part = 0; part < 2; ++part) {
            const double q = std::fabs(part == 0 ? l.F0 : l.F1);
            double* passing = &pass_[(s * 2 + part) * nctm];
            std::fill(passing, passing + nctm, 1.0);
            for (std::size_t st = first; st < last; ++st) {
                double* eta = &eta_[(st * 2 + part) * nctm];
                const bool same_as_first = part == 1 && !stages_[st].by_flow;
                for (std::size_t a = 0; a < nctm; ++a) {
                    eta[a] = same_as_first ? eta_[(st * 2) * nctm + a] : stage_efficiency(st, a, q);
                    passing[a] *= 1 - eta[a];
                }
            }
        }
    }
}

void FilterModel::collect(const std::vector<Link>& links, const std::vector<double>& C_start,
                          const std::vector<double>& C_end, double theta, double dt)
{
    const std::size_t nctm = nctm_u();
    for (std::size_t s = 0; s < filtered_links_.size(); ++s) {
        const Link& l = links.at(static_cast<std::size_t>(filtered_links_[s]));
        const auto first = static_cast<std::size_t>(first_stage_[s]), last = static_cast<std::size_t>(first_stage_[s + 1]);
        for (std::size_t part = 0; part < 2; ++part) {
            const double F = part == 0 ? l.F0 : l.F1;
            if (F == 0 || !std::isfinite(F)) continue;
            const auto from = static_cast<std::size_t>(F > 0 ? l.n : l.m);
            const double q = std::fabs(F);
            for (std::size_t a = 0; a < nctm; ++a) {
                const std::size_t k = from * nctm + a;
                const double C = theta * C_end.at(k) + (1 - theta) * C_start.at(k);
                double reaching = q * std::max(0.0, C) * dt;  // kg arriving at the stage
                for (std::size_t st = first; st < last && reaching > 0; ++st) {
                    const double eta = eta_[(st * 2 + part) * nctm + a];
                    if (stages_[st].collects) load_[st * nctm + a] += reaching * eta / stages_[st].mass;
                    reaching *= 1 - eta;
                }
            }
        }
    }
}

int FilterModel::sub_filters(std::size_t link) const
{
    if (!filtered(link)) return 0;
    const auto s = static_cast<std::size_t>(slot_[link]);
    return first_stage_[s + 1] - first_stage_[s];
}

double FilterModel::loading(std::size_t link, int sub, int a) const
{
    if (sub < 0 || sub >= sub_filters(link) || a < 0 || a >= nctm_) return 0;
    const auto st = static_cast<std::size_t>(first_stage_[static_cast<std::size_t>(slot_[link])] + sub);
    return load_[st * nctm_u() + static_cast<std::size_t>(a)];
}

std::vector<const Filter*> link_filters(const Project& project, const std::vector<Link>& links)
{
    std::set<const FlowPath*> subs;
    for (const FlowPath& path : project.paths)
        for (const FlowPath* sub : project.sub_paths.of(&path)) subs.insert(sub);
    std::vector<const Filter*> filters(links.size(), nullptr);
    for (std::size_t li = 0; li < links.size(); ++li) {
        const Link& l = links[li];
        switch (l.kind) {
        case LinkKind::FlowPath:
            if (const FlowPath* path = project.paths.at(l.number); path && !subs.count(path)) filters[li] = path->filter;
            break;
        case LinkKind::DuctSegment:
            if (const DuctSegment* segment = project.ducts.at(l.number)) filters[li] = segment->filter;
            break;
        case LinkKind::Terminal:
            if (const Junction* junction = project.junctions.at(l.number); junction && junction->t != 0)
                filters[li] = junction->terminal.filter;
            break;
        case LinkKind::Leak:
            break;
        }
    }
    return filters;
}

FilterModel filter_model(const Project& project, const std::vector<Link>& links)
{
    const std::vector<const Species*> contaminants(project.Ctm.begin(), project.Ctm.end());
    return FilterModel(link_filters(project, links), contaminants);
}

}  // namespace avelor::engine
