#include "contaminant_solver.h"

#include <Eigen/IterativeLinearSolvers>
#include <Eigen/SparseCore>
#include <Eigen/SparseLU>

#include <algorithm>
#include <cmath>

#include "model/project.h"
#include "model/run_control.h"

namespace avelor::engine {

ContaminantSettings contaminant_settings(const SolverSet& trace)
{
    ContaminantSettings s;
    switch (trace.slae) {
    case 0:
    case 3:
        s.method = LinearMethod::DirectLU;
        break;
    case 1:
        s.method = LinearMethod::BiCGStab;
        break;
    case 2:
        s.method = LinearMethod::Sor;
        break;
    default:
        throw EngineError("The contaminant solver setting " + std::to_string(trace.slae) + " is not known.");
    }
    s.max_iterations = std::max(1, static_cast<int>(trace.maxi));
    s.rel_tolerance = trace.relcnvg;
    s.abs_tolerance = trace.abscnvg;
    s.relax = trace.relax;
    s.theta = trace.gamma;
    if (!(s.theta >= 0 && s.theta <= 1))
        throw EngineError("The contaminant time-stepping factor must lie between 0 and 1.");
    if (s.method == LinearMethod::Sor && !(s.relax > 0 && s.relax < 2))
        throw EngineError("The contaminant SOR relaxation factor must lie between 0 and 2.");
    return s;
}

namespace {

int contaminant_index(const Project& project, const Species* species)
{
    const auto it = std::find(project.Ctm.begin(), project.Ctm.end(), species);
    return it == project.Ctm.end() ? -1 : static_cast<int>(it - project.Ctm.begin());
}

std::vector<ReactionTerm> reaction_terms(const Project& project, const KineticReaction* reaction)
{
    std::vector<ReactionTerm> terms;
    if (!reaction)
        return terms;
    for (const ReactionPair& pair : reaction->pairs) {
        const int product = contaminant_index(project, pair.product);
        const int reactant = contaminant_index(project, pair.reactant);
        // A pair naming a species that is not simulated has nothing to act on.
        if (product >= 0 && reactant >= 0 && pair.coefficient != 0)
            terms.push_back({product, reactant, pair.coefficient});
    }
    return terms;
}

}  // namespace

ContaminantModel contaminant_model(const Project& project, const std::vector<Node>& nodes,
                                   const std::vector<Link>& links)
{
    ContaminantModel model;
    model.nctm = project.nctm();
    const auto nctm = static_cast<std::size_t>(model.nctm);
    // Non-trace contaminants are carried as the trace ones are; they change
    // the air's density as well (see air_mixture.h).
    for (const Species* s : project.Ctm) {
        model.decay.push_back(s->decay);
        model.outdoor.push_back(s->CCdef);
    }
    if (nctm > 0) {
        model.sources = ContaminantSources(project, nodes);
        model.filters = filter_model(project, links);
    }
    model.settings = contaminant_settings(project.rc.trace);
    for (const Node& node : nodes) {
        std::vector<double> initial = model.outdoor;
        std::vector<ReactionTerm> terms;
        const std::vector<float>* cc0 = nullptr;
        if (node.kind == NodeKind::Zone) {
            const Zone* zone = project.zones.at(node.number);
            if (!zone)
                throw EngineError("The network names zone " + std::to_string(node.number) +
                                  ", which the project does not hold.");
            cc0 = &zone->CC0;
            terms = reaction_terms(project, zone->reaction);
        } else if (node.kind == NodeKind::Junction || node.kind == NodeKind::Terminal) {
            if (const Junction* junction = project.junctions.at(node.number)) {
                cc0 = &junction->CC0;
                terms = reaction_terms(project, junction->reaction);
            }
        }
        if (cc0)
            for (std::size_t a = 0; a < nctm && a < cc0->size(); ++a)
                initial[a] = (*cc0)[a];
        model.initial.push_back(std::move(initial));
        model.reactions.push_back(std::move(terms));
    }
    return model;
}

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Vector = Eigen::VectorXd;

struct ContaminantSolver::Impl {
    ContaminantModel model;
    int nctm = 0;
    std::vector<double> C;        // all nodes, nctm each
    std::vector<int> var;         // node -> unknown node index, or -1
    std::vector<int> var_node;    // unknown node index -> node
    // Slots in the matrix values: per link and contaminant the four
    // entries (n,n) (m,m) (n,m) (m,n), -1 where a node is a boundary.
    struct LinkSlots {
        int nn = -1, mm = -1, nm = -1, mn = -1;
    };
    std::vector<LinkSlots> link_slots;     // link * nctm + a
    std::vector<int> diag_slots;           // unknown * nctm + a
    std::vector<std::vector<int>> reaction_slots;  // per unknown, per term
    SparseMatrix A;                        // the system's matrix
    Vector rhs, x;
    Eigen::SparseLU<SparseMatrix, Eigen::COLAMDOrdering<int>> lu;
    bool pattern_analysed = false;
    std::vector<double> factored_values;  // the matrix values the factors belong to
    std::vector<double> C_start;          // the concentrations a step starts from
    std::vector<double> C_saved;          // kept by save_state

    int unknowns() const { return static_cast<int>(var_node.size()) * nctm; }

    int slot(int row, int col) const
    {
        for (int p = A.outerIndexPtr()[col]; p < A.outerIndexPtr()[col + 1]; ++p)
            if (A.innerIndexPtr()[p] == row)
                return p;
        return -1;
    }

    void build_pattern(const std::vector<Node>& nodes, const std::vector<Link>& links)
    {
        var.assign(nodes.size(), -1);
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].variable_ctm && nodes[i].kind != NodeKind::Ambient) {
                var[i] = static_cast<int>(var_node.size());
                var_node.push_back(static_cast<int>(i));
            }
        std::vector<Eigen::Triplet<double, int>> entries;
        auto u = [&](int node, int a) { return var[static_cast<std::size_t>(node)] * nctm + a; };
        for (int v = 0; v < static_cast<int>(var_node.size()); ++v)
            for (int a = 0; a < nctm; ++a) {
                entries.emplace_back(v * nctm + a, v * nctm + a, 1.0);
                for (const ReactionTerm& t : model.reactions[static_cast<std::size_t>(var_node[v])])
                    entries.emplace_back(v * nctm + t.product, v * nctm + t.reactant, 1.0);
            }
        for (const Link& l : links)
            if (var[static_cast<std::size_t>(l.n)] >= 0 && var[static_cast<std::size_t>(l.m)] >= 0 && l.n != l.m)
                for (int a = 0; a < nctm; ++a) {
                    entries.emplace_back(u(l.n, a), u(l.m, a), 1.0);
                    entries.emplace_back(u(l.m, a), u(l.n, a), 1.0);
                }
        A.resize(unknowns(), unknowns());
        A.setFromTriplets(entries.begin(), entries.end());
        A.makeCompressed();

        link_slots.assign(links.size() * static_cast<std::size_t>(nctm), LinkSlots{});
        for (std::size_t li = 0; li < links.size(); ++li) {
            const Link& l = links[li];
            const bool vn = var[static_cast<std::size_t>(l.n)] >= 0, vm = var[static_cast<std::size_t>(l.m)] >= 0;
            for (int a = 0; a < nctm; ++a) {
                LinkSlots& s = link_slots[li * static_cast<std::size_t>(nctm) + static_cast<std::size_t>(a)];
                if (vn)
                    s.nn = slot(u(l.n, a), u(l.n, a));
                if (vm)
                    s.mm = slot(u(l.m, a), u(l.m, a));
                if (vn && vm && l.n != l.m) {
                    s.nm = slot(u(l.n, a), u(l.m, a));
                    s.mn = slot(u(l.m, a), u(l.n, a));
                }
            }
        }
        diag_slots.resize(static_cast<std::size_t>(unknowns()));
        for (int r = 0; r < unknowns(); ++r)
            diag_slots[static_cast<std::size_t>(r)] = slot(r, r);
        reaction_slots.assign(var_node.size(), {});
        for (std::size_t v = 0; v < var_node.size(); ++v)
            for (const ReactionTerm& t : model.reactions[static_cast<std::size_t>(var_node[v])])
                reaction_slots[v].push_back(slot(static_cast<int>(v) * nctm + t.product,
                                                 static_cast<int>(v) * nctm + t.reactant));
        rhs.resize(unknowns());
        x.resize(unknowns());

        std::vector<int> rows(nodes.size() * static_cast<std::size_t>(nctm), -1);
        for (std::size_t v = 0; v < var_node.size(); ++v)
            for (int a = 0; a < nctm; ++a)
                rows[static_cast<std::size_t>(var_node[v]) * static_cast<std::size_t>(nctm) +
                     static_cast<std::size_t>(a)] = static_cast<int>(v) * nctm + a;
        model.sources.bind(std::move(rows), nctm);
    }

    // Puts the source and sink terms into the rates f = A C + b.
    void add_sources(const std::vector<SourceContribution>& terms)
    {
        for (const SourceContribution& t : terms) {
            value(diag_slots[static_cast<std::size_t>(t.row)]) -= t.D;
            rhs[t.row] += t.G;
        }
    }

    double& value(int s) { return A.valuePtr()[s]; }

    // Fills A with the rates f = A C + b of the current flows (b into
    // rhs) and returns the masses of the unknown nodes.
    std::vector<double> assemble_rates(const std::vector<Node>& nodes, const std::vector<Link>& links)
    {
        std::fill(A.valuePtr(), A.valuePtr() + A.nonZeros(), 0.0);
        rhs.setZero();
        std::vector<double> mass(var_node.size());
        for (std::size_t v = 0; v < var_node.size(); ++v) {
            const Node& node = nodes[static_cast<std::size_t>(var_node[v])];
            mass[v] = std::max(0.0, node.rho * node.volume);
            for (int a = 0; a < nctm; ++a)
                value(diag_slots[v * static_cast<std::size_t>(nctm) + static_cast<std::size_t>(a)]) -=
                    model.decay[static_cast<std::size_t>(a)] * mass[v];
            const auto& terms = model.reactions[static_cast<std::size_t>(var_node[v])];
            for (std::size_t t = 0; t < terms.size(); ++t)
                value(reaction_slots[v][t]) += mass[v] * terms[t].k;
        }
        FilterModel& filters = model.filters;
        if (!filters.empty())
            filters.prepare(links);
        for (std::size_t li = 0; li < links.size(); ++li) {
            const Link& l = links[li];
            const bool filtered = filters.filtered(li);
            for (int part = 0; part < 2; ++part) {
                const double F = part == 0 ? l.F0 : l.F1;
                if (F == 0 || !std::isfinite(F))
                    continue;
                // The part's upstream and downstream nodes.
                const bool forward = F > 0;
                const int from = forward ? l.n : l.m, to = forward ? l.m : l.n;
                const double q = std::fabs(F);
                const int vf = var[static_cast<std::size_t>(from)], vt = var[static_cast<std::size_t>(to)];
                for (int a = 0; a < nctm; ++a) {
                    const LinkSlots& s = link_slots[li * static_cast<std::size_t>(nctm) + static_cast<std::size_t>(a)];
                    if (vf >= 0)
                        value(forward ? s.nn : s.mm) -= q;  // leaves the upstream node
                    if (vt >= 0) {
                        // Enters with the upstream mixture, less what a filter keeps.
                        const double passed = filtered ? q * filters.pass(li, part, a) : q;
                        if (vf >= 0)
                            value(forward ? s.mn : s.nm) += passed;
                        else
                            rhs[vt * nctm + a] +=
                                passed * C[static_cast<std::size_t>(from) * static_cast<std::size_t>(nctm) +
                                           static_cast<std::size_t>(a)];
                    }
                }
            }
        }
        return mass;
    }

    double current(int r) const
    {
        const int v = r / nctm, a = r % nctm;
        return C[static_cast<std::size_t>(var_node[static_cast<std::size_t>(v)]) * static_cast<std::size_t>(nctm) +
                 static_cast<std::size_t>(a)];
    }

    // A row with nothing on its diagonal (no mass, no outflow, no decay)
    // keeps its value. At a steady state such a row must have nothing to
    // gain either: a source whose contaminant nothing removes has none.
    void guard_empty_rows(const std::vector<Node>* steady_nodes = nullptr)
    {
        for (int r = 0; r < unknowns(); ++r) {
            double& d = value(diag_slots[static_cast<std::size_t>(r)]);
            if (d == 0 && steady_nodes && rhs[r] != 0) {
                const Node& node = (*steady_nodes)[static_cast<std::size_t>(var_node[static_cast<std::size_t>(r / nctm)])];
                throw EngineError(std::string(node.kind == NodeKind::Zone ? "Zone " : "Junction ") +
                                  std::to_string(node.number) + " has a source of contaminant " +
                                  std::to_string(r % nctm + 1) +
                                  " but no airflow out and no sink: its concentration has no steady state.");
            }
            if (d == 0) {
                d = 1;
                rhs[r] = current(r);
            }
        }
    }

    ContaminantReport solve_system()
    {
        ContaminantReport report;
        Vector guess(unknowns());
        for (int r = 0; r < unknowns(); ++r)
            guess[r] = current(r);
        const ContaminantSettings& s = model.settings;
        switch (s.method) {
        case LinearMethod::DirectLU: {
            if (!pattern_analysed) {
                lu.analyzePattern(A);
                pattern_analysed = true;
            }
            // Steady flows give the same matrix step after step: its
            // factors are kept until a value changes.
            const std::vector<double> values(A.valuePtr(), A.valuePtr() + A.nonZeros());
            if (values != factored_values) {
                lu.factorize(A);
                if (lu.info() != Eigen::Success) {
                    factored_values.clear();
                    throw EngineError("The contaminant equations could not be solved (singular matrix).");
                }
                factored_values = values;
            }
            x = lu.solve(rhs);
            report.iterations = 1;
            break;
        }
        case LinearMethod::BiCGStab: {
            Eigen::BiCGSTAB<SparseMatrix, Eigen::IncompleteLUT<double>> solver;
            solver.setMaxIterations(s.max_iterations);
            solver.setTolerance(std::max(s.rel_tolerance, 1e-14));
            solver.compute(A);
            if (solver.info() != Eigen::Success)
                throw EngineError("The contaminant equations could not be prepared for the iterative solver.");
            x = solver.solveWithGuess(rhs, guess);
            report.iterations = static_cast<int>(solver.iterations());
            report.converged = solver.info() == Eigen::Success;
            break;
        }
        case LinearMethod::Sor:
            report = sor(guess);
            break;
        }
        if (!x.allFinite())
            throw EngineError("The contaminant equations gave no finite solution.");
        for (int r = 0; r < unknowns(); ++r) {
            const int v = r / nctm, a = r % nctm;
            C[static_cast<std::size_t>(var_node[static_cast<std::size_t>(v)]) * static_cast<std::size_t>(nctm) +
              static_cast<std::size_t>(a)] = x[r];
        }
        return report;
    }

    ContaminantReport sor(const Vector& guess)
    {
        const Eigen::SparseMatrix<double, Eigen::RowMajor, int> R = A;
        const ContaminantSettings& s = model.settings;
        x = guess;
        ContaminantReport report;
        report.converged = false;
        for (int it = 1; it <= s.max_iterations; ++it) {
            double change = 0, size = 0;
            for (int r = 0; r < R.rows(); ++r) {
                double sum = rhs[r], diag = 0;
                for (Eigen::SparseMatrix<double, Eigen::RowMajor, int>::InnerIterator e(R, r); e; ++e) {
                    if (e.col() == r)
                        diag = e.value();
                    else
                        sum -= e.value() * x[e.col()];
                }
                const double next = x[r] + s.relax * (sum / diag - x[r]);
                change = std::max(change, std::fabs(next - x[r]));
                size = std::max(size, std::fabs(next));
                x[r] = next;
            }
            report.iterations = it;
            if (change <= s.abs_tolerance || change <= s.rel_tolerance * size) {
                report.converged = true;
                break;
            }
        }
        return report;
    }
};

ContaminantSolver::ContaminantSolver(ContaminantModel model, const std::vector<Node>& nodes,
                                     const std::vector<Link>& links)
    : impl_(std::make_unique<Impl>())
{
    Impl& d = *impl_;
    d.nctm = model.nctm;
    const auto nctm = static_cast<std::size_t>(model.nctm);
    if (model.decay.size() != nctm || model.outdoor.size() != nctm || model.initial.size() != nodes.size() ||
        model.reactions.size() != nodes.size() ||
        (!model.filters.empty() && (model.filters.nctm() != model.nctm || model.filters.link_count() != links.size())))
        throw EngineError("The contaminant model does not match the network.");
    for (const Link& l : links)
        if (l.n < 0 || l.m < 0 || static_cast<std::size_t>(l.n) >= nodes.size() ||
            static_cast<std::size_t>(l.m) >= nodes.size())
            throw EngineError("A link of the network names a node it does not hold.");
    d.C.assign(nodes.size() * nctm, 0.0);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        for (std::size_t a = 0; a < nctm; ++a)
            d.C[i * nctm + a] = nodes[i].kind == NodeKind::Ambient ? model.outdoor[a] : model.initial[i].at(a);
    d.model = std::move(model);
    if (nctm > 0)
        d.build_pattern(nodes, links);
}

ContaminantSolver::~ContaminantSolver() = default;
ContaminantSolver::ContaminantSolver(ContaminantSolver&&) noexcept = default;
ContaminantSolver& ContaminantSolver::operator=(ContaminantSolver&&) noexcept = default;

int ContaminantSolver::nctm() const { return impl_->nctm; }

double ContaminantSolver::concentration(int node, int a) const
{
    return impl_->C.at(static_cast<std::size_t>(node) * static_cast<std::size_t>(impl_->nctm) +
                       static_cast<std::size_t>(a));
}

const std::vector<double>& ContaminantSolver::concentrations() const { return impl_->C; }

void ContaminantSolver::set_concentrations(const std::vector<double>& values)
{
    Impl& d = *impl_;
    if (values.size() != d.C.size())
        throw EngineError("The concentrations do not match the network.");
    for (int v : d.var_node)
        for (int a = 0; a < d.nctm; ++a) {
            const std::size_t k = static_cast<std::size_t>(v) * static_cast<std::size_t>(d.nctm) +
                                  static_cast<std::size_t>(a);
            d.C[k] = values[k];
        }
}

void ContaminantSolver::start_sources(const SourceInstant& instant, const std::vector<Node>& nodes)
{
    Impl& d = *impl_;
    if (nodes.size() * static_cast<std::size_t>(d.nctm) != d.C.size())
        throw EngineError("The network does not match the contaminant solver.");
    d.model.sources.start(instant, nodes, d.C);
}

void ContaminantSolver::follow_sources(const SourceInstant& instant) { impl_->model.sources.follow(instant); }
void ContaminantSolver::bind_controls(ControlNetwork& controls) { impl_->model.sources.bind_controls(controls); }

const ContaminantSources& ContaminantSolver::sources() const { return impl_->model.sources; }

ContaminantReport ContaminantSolver::step(const std::vector<Node>& nodes, const std::vector<Link>& links, double dt)
{
    Impl& d = *impl_;
    if (d.unknowns() == 0)
        return {};
    if (!(dt > 0))
        throw EngineError("The contaminant time step must be positive.");
    const std::vector<double> mass = d.assemble_rates(nodes, links);
    const double theta = d.model.settings.theta;
    if (!d.model.sources.empty())
        d.add_sources(d.model.sources.step_terms(nodes, d.C, dt, theta));
    // (M/dt - theta A) C1 = (M/dt) C0 + (1 - theta) A C0 + b
    Vector c0(d.unknowns());
    for (int r = 0; r < d.unknowns(); ++r)
        c0[r] = d.current(r);
    if (theta < 1)
        d.rhs += (1 - theta) * (d.A * c0);
    d.A *= -theta;
    for (int r = 0; r < d.unknowns(); ++r) {
        const double m = mass[static_cast<std::size_t>(r / d.nctm)] / dt;
        d.value(d.diag_slots[static_cast<std::size_t>(r)]) += m;
        d.rhs[r] += m * c0[r];
    }
    d.guard_empty_rows();
    FilterModel& filters = d.model.filters;
    if (!filters.empty())
        d.C_start = d.C;
    const ContaminantReport report = d.solve_system();
    if (!d.model.sources.empty())
        d.model.sources.finish_step(d.C);
    if (!filters.empty())
        filters.collect(links, d.C_start, d.C, theta, dt);
    return report;
}

ContaminantReport ContaminantSolver::solve_steady(const std::vector<Node>& nodes, const std::vector<Link>& links)
{
    Impl& d = *impl_;
    if (d.unknowns() == 0)
        return {};
    d.assemble_rates(nodes, links);
    if (!d.model.sources.empty())
        d.add_sources(d.model.sources.steady_terms(nodes, d.C));
    // 0 = A C + b  ->  (-A) C = b
    d.A *= -1.0;
    d.guard_empty_rows(&nodes);
    return d.solve_system();
}

const FilterModel& ContaminantSolver::filters() const { return impl_->model.filters; }

void ContaminantSolver::set_filter_loadings(const std::vector<double>& loadings)
{
    impl_->model.filters.set_loadings(loadings);
}

void ContaminantSolver::save_state()
{
    impl_->C_saved = impl_->C;
    impl_->model.filters.save_loadings();
    impl_->model.sources.save_state();
}

void ContaminantSolver::restore_state()
{
    Impl& d = *impl_;
    if (d.C_saved.size() == d.C.size())
        d.C = d.C_saved;
    d.model.filters.restore_loadings();
    d.model.sources.restore_state();
}

}  // namespace avelor::engine
