// The engine's way into a project: the core's reader (without the editor's
// icon check), the run-control check, the plan and the airflow network
// built from what was read, and one steady solve of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "airflow_network.h"
#include "fuzz_support.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "simulation_run.h"

using namespace avelor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::install_quiet_port();
    const std::string path = fuzz::write_input("engine.prj", data, size);
    fuzz::without_fatal([&] {
        reset_error_count();
        Project project;
        if (read_project(path, project, ReadOptions{}) != 0) return;
        if (!engine::run_control_fault(project.rc).empty()) return;
        engine::plan_run(project.rc, project.nctm());
        try {
            engine::AirflowNetwork network(project);
            engine::restart_header(project);
            network.solve(engine::Weather{});
        } catch (const engine::EngineError&) {
        }
    });
    return 0;
}
