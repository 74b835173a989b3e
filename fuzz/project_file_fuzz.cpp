// The whole open of a project file: the reader of every section, the icon
// check and its fix-ups, into a document that already holds a project. A
// project that opens is saved as Save writes it, and what is saved must
// open again: a file that opens but cannot be saved, or is saved into one
// that cannot be read, corrupts the user's work.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/text_writer.h"
#include "fuzz_support.h"
#include "prjfile/project_file.h"

using namespace avelor;

namespace {

[[noreturn]] void finding(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}  // namespace

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
            finding("A refused project left part of itself in the document.");
        if (!opened) return;
        if (document.path != path) finding("An opened project does not name its file.");

        reset_error_count();
        TextWriter out;
        write_project(out, *document.project);
        if (error_count() != 0) finding("A project that opened could not be saved.");
        const std::string saved = fuzz::write_input(
            "saved.prj", reinterpret_cast<const std::uint8_t*>(out.text().data()), out.text().size());
        ProjectDocument again;
        if (!open_project(again, saved, ReadOptions{})) finding("A saved project does not open again.");
    });
    return 0;
}
