// The filters on the links of a network, as the contaminant solver sees
// them: for every flow part through a filtered link, the fraction of each
// contaminant that passes, and the mass the filter collects.
//
// A filter removes the fraction eta_a of contaminant a from each flow part
// passing through it: of the upstream mass flow F C_up,a the downstream node
// receives (1 - eta_a) F C_up,a and the filter keeps the rest. A filter is
// one sub-filter, or for a super element one per sub-element in order; the
// air passes them one after the other, so the pass fraction is the product
// of the sub-filters' (1 - eta_k) and sub-filter k collects what reaches it
// times its own eta_k. Each sub-filter keeps the relative loading of every
// contaminant (kg collected per kg of filter, the filter's mass being
// density x area x depth), starting from the loadings the project holds.
//
// The elements' efficiencies:
//   cef  the listed efficiency of each listed contaminant, 0 for others;
//   pf0  the particle curve at log10 of the contaminant's mean diameter in
//        the curve's size unit (the curve is drawn on that axis), clamped
//        to 0..1; 0 for a contaminant without a diameter;
//   gf0  for each listed contaminant the curve at its relative loading on
//        this sub-filter, never below the breakthrough efficiency, and the
//        breakthrough efficiency alone once the loading is beyond the last
//        point of the curve; 0 for others. The loading grows as the filter
//        collects, so the efficiency of a step is taken at the loading of
//        the step's start;
//   uv1  germicidal light acting on particulate contaminants (a mean
//        diameter above 0), 0 for the others. The dose an organism takes is
//        the irradiance times its time in the lit section, which goes as
//        the inverse of the mass flow through it: D = D_design F_design / F
//        with D_design = -ln(S) / k from the element's design survivability
//        S and rate constant k. The survival is exp(-k_a D), k_a the
//        contaminant's own UVGI susceptibility constant when it has one, else
//        the element's k (then the survival is S^(F_design / F)), and
//        eta = 1 - survival. The inactivated organisms are not collected:
//        a UVGI sub-filter does not load. The TU and age constants are not
//        used.
#pragma once

#include <cstddef>
#include <vector>

#include "airflow_network.h"
#include "model/curve_fit.h"

namespace avelor {
class Project;
struct Filter;
struct FilterElement;
struct Species;
}  // namespace avelor

namespace avelor::engine {

class FilterModel {
public:
    FilterModel() = default;
    // The filters of the links (nullptr for an unfiltered link, one entry
    // per link) acting on the contaminants in their order. Throws
    // EngineError for a filter the engine cannot use: an element without
    // data or of an unknown type, no mass, a super element inside a super
    // element, a curve whose points do not rise strictly or are not numbers.
    FilterModel(const std::vector<const Filter*>& link_filters, const std::vector<const Species*>& contaminants);

    bool empty() const { return filtered_links_.empty(); }
    int nctm() const { return nctm_; }
    // The links it was made for.
    std::size_t link_count() const { return slot_.size(); }
    // Whether the link carries a filter.
    bool filtered(std::size_t link) const { return link < slot_.size() && slot_[link] >= 0; }

    // Takes the efficiencies for the flows now on the links and the
    // loadings now held; pass() then tells them.
    void prepare(const std::vector<Link>& links);
    // The fraction of contaminant a that passes the link's flow part (0 for
    // F0, 1 for F1), 0..1; 1 on an unfiltered link.
    double pass(std::size_t link, int part, int a) const
    {
        const int s = link < slot_.size() ? slot_[link] : -1;
        return s < 0 ? 1.0 : pass_[(static_cast<std::size_t>(s) * 2 + static_cast<std::size_t>(part)) * nctm_u() +
                                   static_cast<std::size_t>(a)];
    }
    // Adds what the filters collected over dt seconds with the efficiencies
    // of the last prepare(): upstream of each flow part the concentration
    // theta C_end + (1 - theta) C_start (all nodes, nctm each), as the time
    // step weights it.
    void collect(const std::vector<Link>& links, const std::vector<double>& C_start, const std::vector<double>& C_end,
                 double theta, double dt);

    // The sub-filters of a link's filter (0 unfiltered) and the relative
    // loading of contaminant a on sub-filter k, kg per kg of filter.
    int sub_filters(std::size_t link) const;
    double loading(std::size_t link, int sub, int a) const;

    // Every loading, sub-filter by sub-filter (nctm each), and setting
    // them back (a repeated day starts from the same ones).
    const std::vector<double>& loadings() const { return load_; }
    void set_loadings(const std::vector<double>& loadings)
    {
        if (loadings.size() == load_.size()) load_ = loadings;
    }

    // Keeps the loadings, to go back to them (a time step taken again).
    void save_loadings() { saved_ = load_; }
    void restore_loadings()
    {
        if (saved_.size() == load_.size()) load_ = saved_;
    }

private:
    enum class Rule : unsigned char { None, Fixed, Loading, Dose };
    struct SpeciesRule {
        Rule rule = Rule::None;
        double value = 0;   // Fixed: eta; Loading: breakthrough; Dose: ln(survival) at the design flow
        int curve = -1;     // Loading: index into curves_
    };
    struct Curve {
        SplineTable table;
        double last_x = 0;
        std::size_t hint = 0;
    };
    struct Stage {
        double mass = 0;         // kg
        double design_flow = 0;  // uv1, kg/s
        bool collects = true;
        bool by_flow = false;    // its efficiency depends on the flow (uv1)
        bool by_loading = false; // on the loading (gf0)
    };

    std::size_t nctm_u() const { return static_cast<std::size_t>(nctm_); }
    double stage_efficiency(std::size_t stage, std::size_t a, double q);

    int nctm_ = 0;
    std::vector<int> slot_;            // link -> filtered slot, -1 none
    std::vector<int> filtered_links_;  // slot -> link
    std::vector<int> first_stage_;     // slot -> first stage; one more entry at the end
    std::vector<Stage> stages_;
    std::vector<SpeciesRule> rules_;   // stage * nctm + a
    std::vector<Curve> curves_;
    std::vector<double> load_;         // stage * nctm + a, kg/kg of filter
    std::vector<double> saved_;
    std::vector<double> eta_;          // (stage * 2 + part) * nctm + a, of the last prepare
    std::vector<double> pass_;         // (slot * 2 + part) * nctm + a
};

// The filter each link carries, in the links' order (nullptr for none): a
// flow path's (an air-handling system's outdoor-air and recirculation paths
// included), a duct segment's and a terminal's. The sub-paths of super
// elements carry none: their flows are reported, and filtered, once by the
// parent path.
std::vector<const Filter*> link_filters(const Project& project, const std::vector<Link>& links);

// The filter model of a project's network.
FilterModel filter_model(const Project& project, const std::vector<Link>& links);

}  // namespace avelor::engine
