// make_project: writes a generated project file of any size.
//   make_project OUT.prj [LEVELS ROOM_ROWS ROOM_COLS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "prjfile/project_file.h"
#include "project_generator.h"

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: make_project OUT.prj [LEVELS ROOM_ROWS ROOM_COLS]\n");
        return 2;
    }
    avelor::bench::GeneratorOptions options;
    if (argc == 5) {
        options.levels = std::atoi(argv[2]);
        options.room_rows = std::atoi(argv[3]);
        options.room_cols = std::atoi(argv[4]);
    }
    if (options.levels < 1 || options.room_rows < 1 || options.room_cols < 1 ||
        options.room_rows * avelor::bench::kRoomPitch + 3 > 32767 ||
        options.room_cols * avelor::bench::kRoomPitch + 3 > 32767) {
        std::fprintf(stderr, "make_project: sizes out of range\n");
        return 2;
    }
    avelor::Project project;
    avelor::bench::generate_project(project, options);
    avelor::TextWriter out;
    avelor::write_project(out, project);
    if (avelor::error_count() != 0) return 1;
    if (!avelor::write_file_atomically(argv[1], out.text())) {
        std::fprintf(stderr, "make_project: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d levels, %d zones, %d paths, %zu bytes\n", argv[1], project.levels.count(),
                project.zones.count(), project.paths.count(), out.text().size());
    return 0;
}
