#include "air_mixture.h"

#include <cmath>

#include "airflow_elements.h"
#include "airflow_network.h"
#include "model/project.h"
#include "model/species.h"

namespace avelor::engine {

AirMixture::AirMixture(const Project& project) : nctm_(project.nctm())
{
    for (int a = 0; a < nctm_; ++a) {
        const Species& s = *project.Ctm[static_cast<std::size_t>(a)];
        if (s.t == 0) continue;
        if (!(s.molwt > 0) || !std::isfinite(s.molwt))
            throw EngineError("The non-trace contaminant " + s.name +
                              " needs a molecular weight above 0: it makes up the air.");
        index_.push_back(a);
        inv_molwt_.push_back(1.0 / static_cast<double>(s.molwt));
    }
}

double AirMixture::gas_constant(const double* concentrations) const
{
    double total = 0, moles = 0;
    for (std::size_t k = 0; k < index_.size(); ++k) {
        const double C = concentrations[index_[k]];
        if (!(C > 0) || !std::isfinite(C)) continue;
        total += C;
        moles += C * inv_molwt_[k];
    }
    if (!(total > 0) || !(moles > 0)) return kGasConstantAir;
    return kUniversalGasConstant * moles / total;
}

void AirMixture::gas_constants(const std::vector<double>& concentrations, std::vector<double>& R) const
{
    const auto nctm = static_cast<std::size_t>(nctm_);
    const std::size_t nodes = nctm > 0 ? concentrations.size() / nctm : 0;
    R.resize(nodes);
    for (std::size_t i = 0; i < nodes; ++i) R[i] = gas_constant(concentrations.data() + i * nctm);
}

}  // namespace avelor::engine
