#include "editing/values_file_choice.h"

#include <string>

#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

bool choose_values_file(EditorSession& session, ValuesFileKind kind)
{
    Project& project = session.project();
    const bool continuous = kind == ValuesFileKind::Continuous;
    std::string& name = continuous ? project.rc.continuous_values_file : project.rc.discrete_values_file;
    const std::string proposed = name == "null" ? std::string() : name;
    const std::string path =
        user_port().choose_file(FileChoice::Open,
                                continuous ? "Continuous Values Files (*.CVF)" : "Discrete Values Files (*.DVF)",
                                continuous ? "cvf" : "dvf", proposed);
    if (path.empty()) return false;
    ValuesFileHeader header;
    if (!load_values_file(path, kind, header, 2)) return false;
    (continuous ? project.cvf_values : project.dvf_values) = std::move(header);
    if (name != path) {
        name = path;
        project.mark_changed();
    }
    return true;
}

}  // namespace avelor
