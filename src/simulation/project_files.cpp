#include "simulation/project_files.h"

#include <filesystem>

#include "app/command_table.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "editing/editor_session.h"
#include "model/project.h"

namespace avelor {

namespace {

// The run control's name of an input file, or empty for "null".
std::string named_input(const RunControl& rc, int command)
{
    const std::string* name = nullptr;
    switch (command) {
    case cmd::OpenWeatherFile: name = &rc.weather_file; break;
    case cmd::OpenContaminantFile: name = &rc.contaminant_file; break;
    case cmd::OpenWpcFile: name = &rc.wpc_file; break;
    case cmd::OpenCvfFile: name = &rc.continuous_values_file; break;
    case cmd::OpenDvfFile: name = &rc.discrete_values_file; break;
    default: return {};
    }
    if (name->empty() || *name == "null") return {};
    return *name;
}

}  // namespace

std::string project_file_path(const EditorSession& session, int command)
{
    const int index = project_file_index(command);
    if (index < 0) return {};
    if (command == cmd::OpenProgramLog) return run_log().path();
    const std::string& project_path = session.document.path;
    const ProjectFileItem& item = project_file_items()[static_cast<std::size_t>(index)];
    if (item.extension.empty()) {
        return input_file_location(named_input(session.project().rc, command), project_path);
    }
    if (project_path.empty()) return {};
    std::filesystem::path beside(project_path);
    beside.replace_extension(std::string(item.extension));
    return beside.string();
}

std::array<bool, kProjectFileCount> existing_project_files(const EditorSession& session)
{
    std::array<bool, kProjectFileCount> exist{};
    const auto items = project_file_items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string path = project_file_path(session, items[i].command);
        exist[i] = !path.empty() && file_exists(path);
    }
    return exist;
}

}  // namespace avelor
