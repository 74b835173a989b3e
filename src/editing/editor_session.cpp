#include "editing/editor_session.h"

#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "app/text_writer.h"
#include "check/building_check.h"
#include "sketchpad/level_navigation.h"

namespace avelor {

namespace {

// A project always has at least one level to draw on.
void ensure_first_level(Project& project)
{
    if (project.levels.head()) {
        if (!project.lowest_level) project.lowest_level = project.levels.head();
        if (!project.top_level) {
            Level* top = project.lowest_level;
            while (top->above) top = top->above;
            project.top_level = top;
        }
        return;
    }
    Level first;
    first.name = "<1>";
    first.refHt = 0;
    first.delHt = 3;
    first.u = {project.rc.us, project.rc.us};
    Level* stored = project.levels.add(first);
    project.lowest_level = project.top_level = stored;
    project.current_level = stored;
    project.mark_saved();
}

// The session's project on a grid of its size: its lowest level shown.
void show_on_grid(EditorSession& session)
{
    // The problems of a check named the levels of the project shown before.
    session.problems.clear();
    Project& project = session.project();
    project.current_level = nullptr;  // nothing of the project is in the grid yet
    goto_level(project, session.grid, *project.lowest_level);
    session.view.reset(session.grid);
}

}  // namespace

void prepare_sketchpad(EditorSession& session)
{
    Project& project = session.project();
    ensure_first_level(project);
    SketchGrid& grid = session.grid;
    if (grid.allocated()) free_sketch_arrays(grid);
    if (!allocate_sketch_arrays(grid, project.rc.rows, project.rc.cols)) {
        session.problems.clear();
        return;
    }
    show_on_grid(session);
}

bool write_session_file(EditorSession& session, const std::string& target)
{
    ProjectDocument& doc = session.document;
    Project& project = session.project();
    SketchGrid& grid = session.grid;
    store_current_level(project, grid);
    user_port().show_status(" Saving project file");
    reset_error_count();
    // Icons that name no record are corrected before anything is written.
    // A correction is an error that refuses this save; the grid shows the
    // corrected icons, so the next save writes them.
    check_icons(project);
    if (error_count() != 0 && grid.allocated() && project.current_level &&
        grid.shown_level(kCurrentLevel) == project.current_level) {
        show_level(grid, project.current_level->below, kLevelBelow);
        show_level(grid, project.current_level, kCurrentLevel);
    }
    TextWriter text;
    write_project(text, project);
    user_port().show_status("");
    if (error_count() != 0) {
        report_error(ERROR, {"Did not save project file because of errors"});
        doc.must_save = true;
        return false;
    }
    WriteFailure failure;
    if (!write_file_atomically(target, text.text(), &failure)) {
        const std::string why = failure.error != 0 ? std::generic_category().message(failure.error) : "";
        if (failure.stage == WriteStage::open)
            report_error(ERROR, {"Could not open temporary file beside: ", target, "\n", why});
        else
            report_error(ERROR, {"Did not save project file: ", target, "\n", std::string(write_stage_name(failure.stage)),
                                 " failed", why.empty() ? "" : ": ", why});
        // The project still holds work that is not on disk.
        doc.must_save = true;
        return false;
    }
    if (doc.path != target) session.recent.add(target);
    doc.path = target;
    doc.must_save_as_new = false;
    doc.must_save = false;
    session.project().mark_saved();
    return true;
}

bool save_session(EditorSession& session, bool choose_name)
{
    ProjectDocument& doc = session.document;
    if (check_building(session, kRenumberOnly) != 0) return false;
    std::string target = doc.path;
    if (choose_name || target.empty() || doc.must_save_as_new) {
        std::string proposed;
        if (!doc.path.empty()) {
            const PathParts parts = PathSplit(doc.path);
            proposed = parts.drive + parts.directory + (doc.must_save_as_new ? "untitled" : parts.name) + ".prj";
        }
        target = user_port().choose_file(FileChoice::Save, "Project Files (*.PRJ)", "prj", proposed);
        if (target.empty()) return false;
    }
    return write_session_file(session, target);
}

bool settle_unsaved_changes(EditorSession& session)
{
    const ProjectDocument& doc = session.document;
    if (!has_unsaved_changes(session)) return true;
    const std::string name = doc.title_name().empty() ? "(untitled)" : doc.title_name();
    const int answer = ask_question_or_cancel("Save changes to current project file: " + name + " ?");
    if (answer == -1) return false;
    if (answer == 1) return save_session(session, false);
    return true;
}

bool open_in_session(EditorSession& session, const std::string& path)
{
    user_port().show_status("Reading Project");
    ProjectDocument incoming;
    const bool ok = open_project(incoming, path, session.read_options);
    user_port().show_status("");
    if (ok) {
        // The new project's SketchPad is had before the open project is let
        // go: a file whose SketchPad cannot be had is refused, and the open
        // project stays as it was.
        const RunControl& rc = incoming.project->rc;
        const std::string refusal = replace_sketch_arrays(session.grid, rc.rows, rc.cols);
        if (!refusal.empty()) {
            report_error(ERROR, {"Did not open project file: ", path, "\n", refusal,
                                 "\nThe current project stays open."});
            return false;
        }
        session.document = std::move(incoming);
        ensure_first_level(session.project());
        show_on_grid(session);
        session.recent.add(path);
    } else {
        // Nothing of the old project may stay in the grid once it is dropped.
        if (session.grid.allocated()) free_sketch_arrays(session.grid);
        session.document = std::move(incoming);
        prepare_sketchpad(session);
    }
    // The project's control network decides whether links are shown.
    session.view.flags.control_links = ok && session.project().controls.head() != nullptr;
    return ok;
}

bool open_recent_project(EditorSession& session, std::size_t index)
{
    const std::vector<std::string>& paths = session.recent.paths();
    if (index >= paths.size()) return false;
    if (!settle_unsaved_changes(session)) return false;
    const std::string path = paths[index];
    const PathParts parts = PathSplit(path);
    std::error_code ec;
    if (!(parts.drive + parts.directory).empty())
        std::filesystem::current_path(parts.drive + parts.directory, ec);
    run_log().write("Recent Project: " + path + "\n");
    session.recent.remove(path);
    return open_in_session(session, path);
}

bool open_from_menu(EditorSession& session)
{
    if (!settle_unsaved_changes(session)) return false;
    const std::string path = user_port().choose_file(FileChoice::Open, "Project Files (*.PRJ)", "prj", "");
    if (path.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        show_message(ERROR, {"Could not find file: ", path});
        return false;
    }
    return open_in_session(session, path);
}

std::string session_title(const EditorSession& session)
{
    return window_title(session.document.title_name());
}

bool has_unsaved_changes(const EditorSession& session)
{
    const ProjectDocument& doc = session.document;
    return session.project().changed() || doc.must_save || doc.must_save_as_new;
}

std::string session_window_title(const EditorSession& session)
{
    return session_title(session) + (has_unsaved_changes(session) ? "*" : "");
}

}  // namespace avelor
