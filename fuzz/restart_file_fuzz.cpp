// The restart file's header: decoded as the engine does and read as the
// simulation parameters do, against a project with the counts the header
// itself names (when small) so that the day checks are reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/project.h"
#include "model/run_control_rules.h"
#include "restart_file.h"

using namespace avelor;

namespace {

int small(std::int32_t count) { return count >= 0 && count <= 40 ? count : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::install_quiet_port();
    const std::string path = fuzz::write_input("input.rst", data, size);
    fuzz::without_fatal([&] {
        reset_error_count();
        RestartHeader h;
        if (size >= static_cast<std::size_t>(engine::kRestartHeaderSize)) {
            h = engine::decode_restart_header(data);
            unsigned char again[engine::kRestartHeaderSize];
            engine::encode_restart_header(h, again);
            for (std::size_t i = 0; i < sizeof again; ++i)
                if (again[i] != data[i]) std::abort();  // the header does not read back as written
        }
        Project project;
        for (int i = 0; i < small(h.nzones); ++i) add_zone(project, new_zone(project));
        for (int i = 0; i < small(h.npaths); ++i) add_path(project, FlowPath{});
        for (int i = 0; i < small(h.njct); ++i) add_junction(project, Junction{});
        const RestartSpan span = read_restart_header(path, project);
        if (span.ok && (span.first_day < 1 || span.first_day > 365 || span.last_day < 1 || span.last_day > 365))
            std::abort();
    });
    return 0;
}
