// The air of the nodes as a mixture of the non-trace contaminants.
//
// Non-trace contaminants make up the air itself; their concentrations
// (kg/kg) set its mean molar mass and so its gas constant:
//
//   1 / M_mix = sum_k w_k / M_k,  w_k = C_k / sum_j C_j,  R_mix = R_u / M_mix
//
// over the non-trace contaminants k, their concentrations normalised to a
// sum of 1 (a water vapour content given per kg of dry air then counts as
// the moist air's share). R_u = 8314.41 J/(kmol K); air of 28.965 kg/kmol
// gives the engine's usual 287.055 J/(kg K). Trace contaminants never change
// the density. A node holding no non-trace contaminant at all keeps the gas
// constant of air.
#pragma once

#include <vector>

namespace avelor {
class Project;
}

namespace avelor::engine {

inline constexpr double kUniversalGasConstant = 8314.41;  // J/(kmol K)

class AirMixture {
public:
    AirMixture() = default;
    // The non-trace contaminants of the project. Throws EngineError for
    // one without a molecular weight above 0.
    explicit AirMixture(const Project& project);

    // Whether the project has non-trace contaminants.
    bool active() const { return !index_.empty(); }

    // The gas constant of every node, J/(kg K), from the concentrations of
    // every node (nctm each, in the contaminant order); R is resized to
    // the nodes.
    void gas_constants(const std::vector<double>& concentrations, std::vector<double>& R) const;

    // The gas constant of one mixture (nctm concentrations).
    double gas_constant(const double* concentrations) const;

private:
    int nctm_ = 0;
    std::vector<int> index_;         // the non-trace contaminants' indices
    std::vector<double> inv_molwt_;  // 1 / M, kmol/kg
};

}  // namespace avelor::engine
