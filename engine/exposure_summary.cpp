#include "exposure_summary.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <ios>
#include <sstream>

#include "contaminant_sources.h"
#include "model/project.h"

namespace avelor::engine {

BoxWhisker box_whisker(std::vector<double> samples)
{
    BoxWhisker b;
    if (samples.empty())
        return b;
    std::sort(samples.begin(), samples.end());
    const auto quantile = [&](double p) {
        const double position = p * static_cast<double>(samples.size() - 1);
        const auto below = static_cast<std::size_t>(std::floor(position));
        const std::size_t above = std::min(below + 1, samples.size() - 1);
        const double f = position - static_cast<double>(below);
        return samples[below] + f * (samples[above] - samples[below]);
    };
    b.minimum = samples.front();
    b.lower = quantile(0.25);
    b.median = quantile(0.5);
    b.upper = quantile(0.75);
    b.maximum = samples.back();
    return b;
}

ExposureRecorder::ExposureRecorder(const Project& project, const std::vector<Node>& nodes,
                                   std::size_t expected_instants)
    : nctm_(project.nctm())
{
    ambient_ = nodes.empty() ? 0 : static_cast<int>(nodes.size()) - 1;
    zone_nodes_.assign(static_cast<std::size_t>(std::max(0, project.zones.count())) + 1, -1);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].kind == NodeKind::Zone && nodes[i].number >= 0 &&
            static_cast<std::size_t>(nodes[i].number) < zone_nodes_.size())
            zone_nodes_[static_cast<std::size_t>(nodes[i].number)] = static_cast<int>(i);
    for (const Species* s : project.Ctm)
        names_.push_back(s->name);
    for (const Exposure& exposure : project.exposures) {
        Occupant o;
        o.exposure = &exposure;
        o.samples.resize(static_cast<std::size_t>(nctm_));
        for (auto& s : o.samples)
            s.reserve(expected_instants);
        occupants_.push_back(std::move(o));
    }
}

void ExposureRecorder::record(int day_type, double seconds, const std::vector<double>& concentrations,
                              const std::vector<double>& outdoor)
{
    for (Occupant& o : occupants_) {
        const int node = occupant_node(*o.exposure, day_type, seconds, zone_nodes_, ambient_);
        if (node < 0)
            continue;
        for (int a = 0; a < nctm_; ++a) {
            const std::size_t k = static_cast<std::size_t>(node) * static_cast<std::size_t>(nctm_) +
                                  static_cast<std::size_t>(a);
            const double c = node == ambient_ || k >= concentrations.size()
                                 ? outdoor[static_cast<std::size_t>(a)]
                                 : concentrations[k];
            o.samples[static_cast<std::size_t>(a)].push_back(c);
        }
    }
}

const std::vector<double>& ExposureRecorder::samples(std::size_t occupant, int a) const
{
    return occupants_.at(occupant).samples.at(static_cast<std::size_t>(a));
}

bool ExposureRecorder::write(const std::string& path) const
{
    std::ostringstream text;
    text << occupants_.size() << ' ' << nctm_ << '\n';
    text << "! occupant contaminant samples minimum lower-quartile median upper-quartile maximum [kg/kg]\n";
    text << std::scientific;
    text.precision(6);
    for (const Occupant& o : occupants_)
        for (int a = 0; a < nctm_; ++a) {
            const std::vector<double>& s = o.samples[static_cast<std::size_t>(a)];
            const BoxWhisker b = box_whisker(s);
            text << o.exposure->nr << ' ' << names_[static_cast<std::size_t>(a)] << ' ' << s.size() << ' '
                 << b.minimum << ' ' << b.lower << ' ' << b.median << ' ' << b.upper << ' ' << b.maximum << '\n';
        }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) {
        error_ = "The exposure file " + path + " could not be written.";
        return false;
    }
    return true;
}

}  // namespace avelor::engine
