// The whole open of a project file: the reader of every section, the icon
// check and its fix-ups, into a document that already holds a project.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "prjfile/project_file.h"

using namespace avelor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::install_quiet_port();
    const std::string path = fuzz::write_input("input.prj", data, size);
    fuzz::without_fatal([&] {
        reset_error_count();
        ProjectDocument document;
        document.path = "open.prj";
        const bool opened = open_project(document, path, ReadOptions{});
        // A refused file leaves nothing of itself behind.
        if (!opened && (!document.path.empty() || document.project->zones.count() != 0 ||
                        document.project->paths.count() != 0))
            std::abort();
        if (opened && document.path != path) std::abort();
    });
    return 0;
}
