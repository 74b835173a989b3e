// One evaluation of a control network of 10,000 nodes: 1,000 blocks of ten,
// each a zone temperature sensor with a lag, a constant set point, a
// modifier, a proportional and a P/I controller, upper and lower limits,
// an exponential delay, a running average and a sum of four of them, over
// a building of 100 zones. Each iteration is one time step of the network.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "airflow_network.h"
#include "control_network.h"
#include "engine_network_generator.h"
#include "model/control_node.h"
#include "model/project.h"

namespace {

using namespace avelor;

ControlNode* add(Project& p, int type, ControlNode* c1 = nullptr, ControlNode* c2 = nullptr)
{
    ControlNode node;
    node.type = static_cast<std::int16_t>(type);
    node.data = new_control_data(type);
    node.c1 = c1;
    node.c2 = c2;
    node.n = static_cast<std::int16_t>((c1 ? 1 : 0) + (c2 ? 1 : 0));
    return p.controls.add(node);
}

void control_network(benchmark::State& state)
{
    Project p;
    bench::add_network_level(p, "L1", 0, 3);
    std::vector<Zone*> zones;
    for (int z = 0; z < 100; ++z) zones.push_back(bench::add_network_zone(p, std::string("z").append(std::to_string(z)), 293.15f, 50));
    for (int b = 0; b < 1000; ++b) {
        ControlNode* sensor = add(p, kCtSns);
        SensorData& s = std::get<SensorData>(sensor->data);
        s.quantity = kSenseTemperature;
        s.target.record = ZoneRef(zones[static_cast<std::size_t>(b % 100)]);
        s.offset = 293.15f;
        s.tau = 300;
        ControlNode* set = add(p, kCtSet);
        std::get<ConstantData>(set->data).value = 0.5f;
        ControlNode* mod = add(p, kCtMod, sensor);
        ControlNode* pc = add(p, kCtPc1, mod, set);
        std::get<ProportionalData>(pc->data).Kp = 2;
        ControlNode* pi = add(p, kCtPi1, mod, set);
        std::get<PiData>(pi->data) = {0.5f, 0.001f, 0, 0};
        ControlNode* upper = add(p, kCtUlc, pc, set);
        ControlNode* lower = add(p, kCtLlc, upper, pi);
        ControlNode* delay = add(p, kCtDlx, lower);
        std::get<DelayTimesData>(delay->data) = {600, 1200};
        ControlNode* average = add(p, kCtRav, delay);
        std::get<RunningAverageData>(average->data).time = 3600;
        ControlNode* sum = add(p, kCtSum);
        std::get<InputListData>(sum->data).inputs = {pc, pi, delay, average};
    }
    std::vector<engine::Node> nodes(101);
    for (int z = 0; z < 100; ++z) {
        nodes[static_cast<std::size_t>(z)].number = z + 1;
        nodes[static_cast<std::size_t>(z)].T = 293.15 + 0.01 * z;
    }
    nodes[100].kind = engine::NodeKind::Ambient;
    std::vector<engine::Link> links;
    engine::ControlNetwork network(p, nodes, links, 60);
    engine::BuildingState building{&nodes, &links, nullptr};
    double seconds = 0;
    for (auto _ : state) {
        seconds += 60;
        if (seconds > 86400) seconds -= 86400;
        network.evaluate(engine::ControlInstant{1, 1, seconds, 60}, building);
        benchmark::DoNotOptimize(network.signal(0));
    }
    state.counters["nodes"] = static_cast<double>(network.size());
}

BENCHMARK(control_network)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
