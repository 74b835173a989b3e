// The exposures of a run's occupants: at every output instant the
// concentration of each contaminant where the occupant is (its zone, the
// outdoor value outdoors; nothing is recorded while it is nowhere), and at
// the end of the run their box-whisker summary, the exposure file
// PROJECT.ebw:
//
//   <number of occupants> <number of contaminants>
//   ! occupant contaminant samples minimum lower-quartile median upper-quartile maximum [kg/kg]
//   <occupant number> <contaminant name> <samples> <five values>
//   ...
//
// one line per occupant and contaminant, occupants by number, contaminants
// in the contaminant order. The quartiles interpolate linearly between the
// sorted samples (the p-quantile at position p (n - 1)); an occupant never
// anywhere at an output instant has 0 samples and five zeros.
#pragma once

#include <string>
#include <vector>

#include "airflow_network.h"

namespace avelor {
class Project;
struct Exposure;
}

namespace avelor::engine {

// The five numbers of a box-whisker summary of samples (all 0 for none).
struct BoxWhisker {
    double minimum = 0, lower = 0, median = 0, upper = 0, maximum = 0;
};
BoxWhisker box_whisker(std::vector<double> samples);

class ExposureRecorder {
public:
    ExposureRecorder(const Project& project, const std::vector<Node>& nodes, std::size_t expected_instants);

    bool empty() const { return occupants_.empty(); }
    // Records every occupant at an output instant. concentrations holds
    // all nodes, nctm each; outdoor the outdoor values.
    void record(int day_type, double seconds, const std::vector<double>& concentrations,
                const std::vector<double>& outdoor);
    // The samples of an occupant (in exposure order) and contaminant.
    const std::vector<double>& samples(std::size_t occupant, int a) const;
    // Writes the exposure file; false with the reason in error().
    bool write(const std::string& path) const;
    const std::string& error() const { return error_; }

private:
    struct Occupant {
        const Exposure* exposure = nullptr;
        std::vector<std::vector<double>> samples;  // per contaminant
    };
    std::vector<Occupant> occupants_;
    std::vector<std::string> names_;
    std::vector<int> zone_nodes_;
    int ambient_ = 0;
    int nctm_ = 0;
    mutable std::string error_;
};

}  // namespace avelor::engine
