#include "contaminant_sources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "control_network.h"
#include "model/project.h"

namespace avelor::engine {

namespace {

std::string value_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

int contaminant_index(const Project& project, const Species* species)
{
    const auto it = std::find(project.Ctm.begin(), project.Ctm.end(), species);
    return it == project.Ctm.end() ? -1 : static_cast<int>(it - project.Ctm.begin());
}

std::string instance_text(const SourceSink& source) { return "source/sink " + std::to_string(source.nr); }

std::string element_text(const SourceElement& element, const SourceSink& source)
{
    return "The source/sink element " + element.name + " of " + instance_text(source);
}

// The values an element's model uses must be numbers within its dialog's
// bounds; a few models divide by one of them, which must then be above 0.
void check_element(const SourceElement& element, const SourceSink& source)
{
    const auto info = source_model_info(element.model);
    const int used = info ? std::min(info->values, static_cast<int>(element.v.size())) : 0;
    for (int i = 0; i < used; ++i) {
        const double v = element.v[static_cast<std::size_t>(i)];
        if (!std::isfinite(v) || v < 0)
            throw EngineError(element_text(element, source) + " holds the value " + value_text(v) +
                              "; every value of its model must be a number not below 0.");
    }
    const auto positive = [&](int index, const char* what) {
        if (!(element.v[static_cast<std::size_t>(index)] > 0))
            throw EngineError(element_text(element, source) + " has " + what + " of " +
                              value_text(element.v[static_cast<std::size_t>(index)]) + "; it must be above 0.");
    };
    switch (element.model) {
    case kSrcBls: positive(2, "a partition coefficient"); break;
    case kSrcDvr: positive(2, "a deposition surface area"); break;
    case kSrcPlm: positive(2, "a model time"); break;
    case kSrcPkm:
        positive(1, "a fitting parameter");
        positive(2, "a time of peak");
        break;
    default: break;
    }
}

// Integral of a x^-b dx from x0 to x1 (0 < x0 <= x1).
double power_integral(double a, double b, double x0, double x1)
{
    if (x1 <= x0)
        return 0;
    if (std::fabs(1 - b) < 1e-12)
        return a * std::log(x1 / x0);
    return a * (std::pow(x1, 1 - b) - std::pow(x0, 1 - b)) / (1 - b);
}

// The peak law a exp(-0.5 (ln(t/tp)/b)^2) at t.
double peak_law(double a, double b, double tp, double t)
{
    if (!(t > 0))
        return 0;
    const double u = std::log(t / tp) / b;
    return a * std::exp(-0.5 * u * u);
}

// Its integral from t0 to t1. With u = ln(t/tp), dt = tp e^u du and the
// square completed, a tp e^(b^2/2) b sqrt(pi/2) [erf((u - b^2)/(b sqrt 2))];
// where that form overflows or loses its digits, Simpson's rule in u.
double peak_integral(double a, double b, double tp, double t0, double t1)
{
    if (!(t1 > t0))
        return 0;
    const double root2 = std::sqrt(2.0);
    const auto z = [&](double t) {
        return t > 0 ? (std::log(t / tp) - b * b) / (b * root2) : -HUGE_VAL;
    };
    const double z0 = z(t0), z1 = z(t1);
    // Far in the upper tail erfc keeps the digits erf loses.
    const double span = z0 > 0 ? std::erfc(z0) - std::erfc(z1) : std::erf(z1) - std::erf(z0);
    const double scale = a * tp * std::exp(0.5 * b * b) * b * std::sqrt(std::acos(-1.0) / 2);
    const double closed = scale * span;
    if (std::isfinite(closed) && std::isfinite(scale))
        return closed;
    // Simpson in t over the step: the law is smooth away from t = 0, where
    // it vanishes faster than any power.
    constexpr int kPanels = 64;
    const double h = (t1 - t0) / kPanels;
    double sum = peak_law(a, b, tp, t0) + peak_law(a, b, tp, t1);
    for (int i = 1; i < kPanels; ++i)
        sum += (i % 2 ? 4 : 2) * peak_law(a, b, tp, t0 + i * h);
    return sum * h / 3;
}

}  // namespace

int occupant_node(const Exposure& exposure, int day_type, double seconds, const std::vector<int>& zone_nodes,
                  int ambient)
{
    const int d = ((day_type - 1) % kDayTypes + kDayTypes) % kDayTypes;
    const OccupancySchedule* schedule = exposure.occupancy[static_cast<std::size_t>(d)];
    if (!schedule)
        return -1;
    const OccupancyPoint* point = occupancy_at(*schedule, seconds);
    if (!point || point->zone.is_none())
        return -1;
    if (point->zone.is_ambient())
        return ambient;
    const std::int32_t number = point->zone.zone()->nr;
    if (number < 0 || static_cast<std::size_t>(number) >= zone_nodes.size())
        return -1;
    return zone_nodes[static_cast<std::size_t>(number)];
}

ContaminantSources::ContaminantSources(const Project& project, const std::vector<Node>& nodes)
{
    nctm_ = project.nctm();
    ambient_ = nodes.empty() ? 0 : static_cast<int>(nodes.size()) - 1;
    zone_nodes_.assign(static_cast<std::size_t>(std::max(0, project.zones.count())) + 1, -1);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].kind == NodeKind::Zone && nodes[i].number >= 0 &&
            static_cast<std::size_t>(nodes[i].number) < zone_nodes_.size())
            zone_nodes_[static_cast<std::size_t>(nodes[i].number)] = static_cast<int>(i);
    if (nctm_ == 0)
        return;

    for (const SourceSink& source : project.sources) {
        if (!source.cfd_name.empty())
            throw EngineError("CFD links (" + instance_text(source) + ") are not simulated by this engine yet.");
        if (!source.element)
            throw EngineError("The " + instance_text(source) + " has no source/sink element.");
        if (!std::isfinite(source.mult) || source.mult < 0 || !std::isfinite(source.CC0) || source.CC0 < 0)
            throw EngineError("The " + instance_text(source) + " has a multiplier or an initial value of " +
                              value_text(!std::isfinite(source.mult) || source.mult < 0 ? source.mult : source.CC0) +
                              "; it must be a number not below 0.");
        int schedule = -1;
        // A control signal takes the schedule's place.
        if (source.schedule && !source.control && source.cdvf.kind == 0) {
            check_week_schedule(*source.schedule, kScheduleDimensionless, instance_text(source));
            schedule = schedules_.add(*source.schedule);
        }
        std::vector<const SourceElement*> elements;
        if (source.element->model == kSrcSup)
            elements.assign(source.element->subs.begin(), source.element->subs.end());
        else
            elements.push_back(source.element);
        for (const SourceElement* element : elements) {
            if (!element)
                throw EngineError("The super source/sink element " + source.element->name + " of " +
                                  instance_text(source) + " names a sub-element it does not hold.");
            if (element->model == kSrcSxd || element->model == kSrcDxd)
                throw EngineError("The source/sink element " + element->name + " (" + instance_text(source) +
                                  ") uses the model \"" + std::string(source_model_info(element->model)->keyword) +
                                  "\", which this engine does not simulate.");
            if (element->model == kSrcSup)
                throw EngineError("The super source/sink element " + source.element->name + " of " +
                                  instance_text(source) + " holds another super element, " + element->name + ".");
            if (element->model < 0 || element->model >= kSourceModelCount)
                throw EngineError("The source/sink element " + element->name + " of " + instance_text(source) +
                                  " has the unknown model " + std::to_string(element->model) + ".");
            check_element(*element, source);
            if (!source.zone)
                continue;  // placed nowhere: acts nowhere
            const int a = contaminant_index(project, element->species);
            const std::int32_t zn = source.zone->nr;
            const int node = zn >= 0 && static_cast<std::size_t>(zn) < zone_nodes_.size()
                                 ? zone_nodes_[static_cast<std::size_t>(zn)]
                                 : -1;
            if (a < 0 || node < 0)
                continue;  // a species not simulated, a zone not in the network
            Term t;
            t.node = node;
            t.species = a;
            t.model = element->model;
            for (std::size_t i = 0; i < t.v.size(); ++i)
                t.v[i] = element->v[i];
            t.mult = source.mult;
            t.schedule = schedule;
            t.state = source.CC0;
            t.source_number = source.nr;
            if (source.control || source.cdvf.kind != 0) {
                t.control = source.control;
                t.cdvf = &source.cdvf;
            }
            terms_.push_back(t);
        }
    }

    for (const Exposure& exposure : project.exposures) {
        if (!std::isfinite(exposure.mult) || exposure.mult < 0)
            throw EngineError("The occupant " + std::to_string(exposure.nr) + " has the multiplier " +
                              value_text(exposure.mult) + "; it must be a number not below 0.");
        for (const ExposureGeneration& generation : exposure.generations) {
            const std::string what = "the generation of occupant " + std::to_string(exposure.nr);
            if (!std::isfinite(generation.rate) || generation.rate < 0)
                throw EngineError("The rate of " + what + " is " + value_text(generation.rate) +
                                  "; it must be a number not below 0.");
            int schedule = -1;
            if (generation.schedule && generation.cdvf.kind == 0) {
                check_week_schedule(*generation.schedule, kScheduleDimensionless, what);
                schedule = schedules_.add(*generation.schedule);
            }
            const int a = contaminant_index(project, generation.species);
            if (a < 0)
                continue;
            Generation g;
            g.exposure = &exposure;
            g.species = a;
            g.rate = static_cast<double>(generation.rate) * exposure.mult;
            g.schedule = schedule;
            if (generation.cdvf.kind != 0) g.cdvf = &generation.cdvf;
            generations_.push_back(g);
        }
    }
    out_.reserve(terms_.size() + generations_.size());
}

void ContaminantSources::bind(std::vector<int> rows, int nctm)
{
    rows_ = std::move(rows);
    nctm_ = nctm;
    for (Term& t : terms_) {
        const std::size_t k = static_cast<std::size_t>(t.node) * static_cast<std::size_t>(nctm_) +
                              static_cast<std::size_t>(t.species);
        t.row = k < rows_.size() ? rows_[k] : -1;
    }
}

template <class T>
double ContaminantSources::factor(const T& t) const
{
    if (t.signal >= 0) {
        const double v = controls_->signal(t.signal);
        return std::isfinite(v) && v > 0 ? v : 0.0;
    }
    return t.schedule >= 0 ? schedules_.value(t.schedule) : 1.0;
}

double ContaminantSources::strength(const Term& t) const { return t.mult * factor(t); }

void ContaminantSources::bind_controls(ControlNetwork& controls)
{
    controls_ = &controls;
    for (Term& t : terms_)
        if (t.cdvf)
            t.signal = controls.signal_slot(t.control, *t.cdvf, "source/sink " + std::to_string(t.source_number));
    for (Generation& g : generations_)
        if (g.cdvf)
            g.signal = controls.signal_slot(nullptr, *g.cdvf, "generation of occupant " + std::to_string(g.exposure->nr));
}

// The generation laws of time alone, before the strength: their value at
// an instant and their mean over [t0, t1].
double ContaminantSources::law_at(const Term& t, double time) const
{
    switch (t.model) {
    case kSrcEds: return t.v[0] * std::exp(-t.v[1] * time);
    case kSrcPlm: {
        const double th = t.v[2] / 3600;
        const double a = power_law_coefficient(t.v[0], t.v[1], t.v[2]);
        return a * std::pow(std::max(time / 3600, th), -t.v[1]);
    }
    case kSrcPkm: return peak_law(t.v[0], t.v[1], t.v[2], time);
    default: return 0;
    }
}

double ContaminantSources::law_mean(const Term& t, double t0, double t1) const
{
    const double dt = t1 - t0;
    if (!(dt > 0))
        return law_at(t, t1);
    switch (t.model) {
    case kSrcEds: {
        const double k = t.v[1];
        if (k * dt < 1e-12)
            return t.v[0] * std::exp(-k * (t0 + 0.5 * dt));
        return t.v[0] * std::exp(-k * t0) * -std::expm1(-k * dt) / (k * dt);
    }
    case kSrcPlm: {
        // Held at its value at tp before tp, the power law after it.
        const double tp = t.v[2], b = t.v[1];
        const double a = power_law_coefficient(t.v[0], b, tp);
        double mass = 0;
        if (t0 < tp)
            mass += law_at(t, tp) * (std::min(t1, tp) - t0);
        if (t1 > tp)
            mass += 3600 * power_integral(a, b, std::max(t0, tp) / 3600, t1 / 3600);
        return mass / dt;
    }
    case kSrcPkm: return peak_integral(t.v[0], t.v[1], t.v[2], t0, t1) / dt;
    default: return 0;
    }
}

void ContaminantSources::locate_occupants()
{
    for (Generation& g : generations_) {
        const int node = occupant_node(*g.exposure, next_.day_type, next_.seconds, zone_nodes_, ambient_);
        g.node = node == ambient_ ? -1 : node;
        g.row = -1;
        if (g.node >= 0) {
            const std::size_t k = static_cast<std::size_t>(g.node) * static_cast<std::size_t>(nctm_) +
                                  static_cast<std::size_t>(g.species);
            g.row = k < rows_.size() ? rows_[k] : -1;
        }
    }
}

void ContaminantSources::follow(const SourceInstant& instant)
{
    last_ = next_;
    next_ = instant;
    if (schedules_.size() > 0)
        schedules_.evaluate(instant.day_type, instant.seconds);
    for (int i = 0; i < schedules_.size(); ++i) {
        const double v = schedules_.value(i);
        if (!(v >= 0) || !std::isfinite(v))
            throw EngineError("The schedule " + schedules_.schedule(i).name + " of a source/sink or an occupant "
                              "gives the factor " + value_text(v) + "; it must be a number not below 0.");
    }
    for (Term& t : terms_) {
        if (t.model != kSrcBrs)
            continue;
        const double v = factor(t);
        t.burst = t.last_value == 0 && v > 0;
        t.last_value = v;
    }
    locate_occupants();
}

void ContaminantSources::start(const SourceInstant& instant, const std::vector<Node>& nodes,
                               std::vector<double>& C)
{
    follow(instant);
    last_ = next_;
    for (Term& t : terms_) {
        if (!t.burst)
            continue;
        t.burst = false;
        const Node& node = nodes[static_cast<std::size_t>(t.node)];
        const double mass = node.rho * node.volume;
        if (t.row >= 0 && mass > 0)
            C[static_cast<std::size_t>(t.node) * static_cast<std::size_t>(nctm_) + static_cast<std::size_t>(t.species)] +=
                strength(t) * t.v[0] / mass;
    }
}

const std::vector<SourceContribution>& ContaminantSources::step_terms(const std::vector<Node>& nodes,
                                                                      const std::vector<double>& C, double dt,
                                                                      double theta)
{
    out_.clear();
    const double t0 = last_.elapsed, t1 = next_.elapsed;
    for (Term& t : terms_) {
        const Node& node = nodes[static_cast<std::size_t>(t.node)];
        const double c0 =
            C[static_cast<std::size_t>(t.node) * static_cast<std::size_t>(nctm_) + static_cast<std::size_t>(t.species)];
        const double s = strength(t);
        double D = 0, G = 0;
        switch (t.model) {
        case kSrcCcf:
            G = s * t.v[0];
            D = s * t.v[1];
            break;
        case kSrcPrs: G = s * t.v[0] * std::pow(std::fabs(node.p), t.v[1]); break;
        case kSrcCut:
            if (t.v[1] > 0 && c0 < t.v[1]) {
                G = s * t.v[0];
                D = G / t.v[1];
            }
            break;
        case kSrcEds:
        case kSrcPlm:
        case kSrcPkm: G = s * law_mean(t, t0, t1); break;
        case kSrcBrs:
            if (t.burst)
                G = s * t.v[0] / dt;
            break;
        case kSrcDvs: D = s * t.v[0] * t.v[1] * node.rho; break;
        case kSrcDrs: D = s * t.v[0] * node.volume * node.rho; break;
        case kSrcDvr:
        case kSrcBls: {
            // Q dS/dt = p C - q S, the air losing w (p C - q S).
            const double value = factor(t);
            double Q, p, q, w;
            if (t.model == kSrcDvr) {
                Q = t.v[2];
                p = value * t.v[0] * t.v[2] * node.rho;
                q = value * t.v[1] * t.v[3];
                w = t.mult;
            } else {
                Q = t.v[3];
                p = s * t.v[0] * t.v[1];
                q = p / t.v[2];
                w = 1;
            }
            const double S0 = t.state;
            const double den = Q / dt + theta * q;
            if (den > 0) {
                t.alpha = theta * p / den;
                t.beta = (Q / dt * S0 + (1 - theta) * (p * c0 - q * S0)) / den;
            } else {
                t.alpha = 0;
                t.beta = S0;
            }
            D = w * (p - q * t.alpha);
            G = w * theta * q * t.beta - w * (1 - theta) * (p * c0 - q * S0) + (1 - theta) * D * c0;
            break;
        }
        default: break;
        }
        if (t.row >= 0 && (D != 0 || G != 0))
            out_.push_back({t.row, D, G});
    }
    for (const Generation& g : generations_)
        if (g.row >= 0) {
            const double v = factor(g);
            if (v * g.rate != 0)
                out_.push_back({g.row, 0, v * g.rate});
        }
    return out_;
}

void ContaminantSources::finish_step(const std::vector<double>& C1)
{
    for (Term& t : terms_) {
        t.burst = false;
        if (t.model != kSrcDvr && t.model != kSrcBls)
            continue;
        const double c1 =
            C1[static_cast<std::size_t>(t.node) * static_cast<std::size_t>(nctm_) + static_cast<std::size_t>(t.species)];
        t.state = t.alpha * c1 + t.beta;
    }
}

void ContaminantSources::save_state()
{
    saved_.resize(terms_.size());
    for (std::size_t k = 0; k < terms_.size(); ++k) saved_[k] = {terms_[k].state, terms_[k].burst};
}

void ContaminantSources::restore_state()
{
    if (saved_.size() != terms_.size())
        return;
    for (std::size_t k = 0; k < terms_.size(); ++k) {
        terms_[k].state = saved_[k].first;
        terms_[k].burst = saved_[k].second;
    }
}

const std::vector<SourceContribution>& ContaminantSources::steady_terms(const std::vector<Node>& nodes,
                                                                        const std::vector<double>& C)
{
    out_.clear();
    const double time = next_.elapsed;
    for (const Term& t : terms_) {
        const Node& node = nodes[static_cast<std::size_t>(t.node)];
        const double c =
            C[static_cast<std::size_t>(t.node) * static_cast<std::size_t>(nctm_) + static_cast<std::size_t>(t.species)];
        const double s = strength(t);
        double D = 0, G = 0;
        switch (t.model) {
        case kSrcCcf:
            G = s * t.v[0];
            D = s * t.v[1];
            break;
        case kSrcPrs: G = s * t.v[0] * std::pow(std::fabs(node.p), t.v[1]); break;
        case kSrcCut:
            if (t.v[1] > 0 && c < t.v[1]) {
                G = s * t.v[0];
                D = G / t.v[1];
            }
            break;
        case kSrcEds:
        case kSrcPlm:
        case kSrcPkm: G = s * law_at(t, time); break;
        case kSrcDvs: D = s * t.v[0] * t.v[1] * node.rho; break;
        case kSrcDrs: D = s * t.v[0] * node.volume * node.rho; break;
        case kSrcDvr: {
            const double value = factor(t);
            D = t.mult * value * t.v[0] * t.v[2] * node.rho;
            G = t.mult * value * t.v[1] * t.v[3] * t.state;
            break;
        }
        case kSrcBls: {
            const double p = s * t.v[0] * t.v[1];
            D = p;
            G = p / t.v[2] * t.state;
            break;
        }
        default: break;  // a burst has no rate
        }
        if (t.row >= 0 && (D != 0 || G != 0))
            out_.push_back({t.row, D, G});
    }
    for (const Generation& g : generations_)
        if (g.row >= 0) {
            const double v = factor(g);
            if (v * g.rate != 0)
                out_.push_back({g.row, 0, v * g.rate});
        }
    return out_;
}

int ContaminantSources::surface_count() const
{
    return static_cast<int>(std::count_if(terms_.begin(), terms_.end(), [](const Term& t) {
        return t.model == kSrcDvr || t.model == kSrcBls;
    }));
}

double ContaminantSources::surface_state(int n) const
{
    for (const Term& t : terms_)
        if ((t.model == kSrcDvr || t.model == kSrcBls) && n-- == 0)
            return t.state;
    return 0;
}

}  // namespace avelor::engine
