#include "editing/export_bitmap.h"

#include <string>
#include <string_view>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"
#include "editing/editor_session.h"
#include "sketchpad/image_export.h"

namespace avelor {

namespace {

std::string proposed_bitmap_name(const ProjectDocument& document)
{
    if (document.path.empty()) return {};
    const PathParts parts = PathSplit(document.path);
    return parts.drive + parts.directory + parts.name + ".bmp";
}

}  // namespace

bool export_sketchpad_bitmap(EditorSession& session, const ResultsOverlay* results)
{
    StatusNote status("Creating Bitmap");
    RenderSettings settings = render_settings(session.view, session.project(), session.grid);
    settings.results = results;
    settings.show_cursor = false;
    settings.stroke_in_progress = false;
    settings.show_problem = false;

    const BmpLayout layout = bmp_layout(level_image_width(session.grid, settings.cell_size),
                                        level_image_height(session.grid, settings.cell_size));
    if (!bmp_layout_fits(layout)) {
        report_error(ERROR, {"Failed to create bitmap."});
        return false;
    }
    // The picture is drawn strip by strip while it is written; the memory
    // that takes is taken now.
    LevelStripRows rows(session.grid, &session.project(), settings);
    if (!rows.ready()) {
        report_error(ERROR, {"Failed to create bitmap."});
        return false;
    }

    if (ask_question(bitmap_size_question(layout.file_bytes)) != 1) return false;
    const std::string target =
        user_port().choose_file(FileChoice::Save, "Bitmap Files (*.BMP)", "bmp", proposed_bitmap_name(session.document));
    if (target.empty()) return false;

    // The bitmap's size is the measure for a PNG too: a SketchPad picture,
    // flat cells and thin lines, compresses far below it.
    const long long free_bytes = free_disk_bytes(target);
    if (free_bytes >= 0 && std::uint64_t(free_bytes) < layout.file_bytes) {
        report_error(ERROR, {"Not enough disk space to save the bitmap."});
        return false;
    }
    const bool written = write_image(target, rows);
    if (!written) {
        report_error(WARNING, {"File Not Saved."});
        return false;
    }
    return true;
}

}  // namespace avelor
