#include "editing/library_manager.h"

#include <algorithm>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "forms/filter_element_form.h"
#include "forms/source_element_form.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "model/schedules.h"
#include "model/species.h"
#include "model/wind_profile.h"

namespace avelor {

namespace {

template <class T>
std::vector<std::string> names_of(const NamedList<T>& list)
{
    std::vector<std::string> names;
    for (const T& record : list) names.push_back(record.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> element_users(const Project& lists, const AirflowElement& element)
{
    std::vector<std::string> users;
    for (const FlowPath& p : lists.paths)
        if (p.element == &element) users.push_back("path " + std::to_string(p.nr));
    for (const AirflowElement& e : lists.elements)
        if (const auto* super = std::get_if<SuperData>(&e.data))
            for (const SubElement& sub : super->subs)
                if (sub.element == &element) {
                    users.push_back("super element " + e.name);
                    break;
                }
    return users;
}

std::vector<std::string> species_users(Project& lists, const Species& species)
{
    std::vector<std::string> users;
    if (species.s != 0 && std::find(lists.Ctm.begin(), lists.Ctm.end(), &species) != lists.Ctm.end())
        users.push_back("the contaminants of the simulation");
    recount_species_use(lists);
    if (species.use_count > 0) users.push_back(std::to_string(species.use_count) + " definitions and controls");
    return users;
}

std::vector<std::string> reaction_users(const Project& lists, const KineticReaction& reaction)
{
    std::vector<std::string> users;
    for (const Zone& z : lists.zones)
        if (z.reaction == &reaction) users.push_back("zone " + z.name);
    for (const Junction& j : lists.junctions)
        if (j.reaction == &reaction) users.push_back("junction " + std::to_string(j.nr));
    return users;
}

std::vector<std::string> super_element_users(const Project& lists, const SuperElement& element)
{
    std::vector<std::string> users;
    for (const ControlNode& node : lists.controls)
        if (const auto* instance = std::get_if<SuperInstanceData>(&node.data))
            if (instance->element == &element) users.push_back("super node " + std::to_string(node.nr));
    return users;
}

template <class T>
bool remove_unused(NamedList<T>& list, T* record, const std::vector<std::string>& users)
{
    if (!users.empty()) {
        show_message(WARNING, {in_use_message(record->name, users)});
        return false;
    }
    list.remove_record(record);
    return true;
}

}  // namespace

LibraryKind library_kind_of(DefinitionKind kind)
{
    switch (kind) {
    case DefinitionKind::Species:
    case DefinitionKind::SourceElement:
    case DefinitionKind::FilterElement:
    case DefinitionKind::KineticReaction: return LibraryKind::Contaminant;
    case DefinitionKind::DaySchedule:
    case DefinitionKind::WeekSchedule: return LibraryKind::Schedule;
    case DefinitionKind::WindProfile: return LibraryKind::WindProfile;
    case DefinitionKind::AirflowElement: return LibraryKind::AirflowElement;
    case DefinitionKind::DuctElement: return LibraryKind::DuctElement;
    case DefinitionKind::SuperElement: return LibraryKind::Controls;
    }
    return LibraryKind::Contaminant;
}

std::string_view definition_kind_name(DefinitionKind kind)
{
    switch (kind) {
    case DefinitionKind::Species: return "Species";
    case DefinitionKind::DaySchedule: return "Day Schedules";
    case DefinitionKind::WeekSchedule: return "Week Schedules";
    case DefinitionKind::WindProfile: return "Wind Pressure Profiles";
    case DefinitionKind::AirflowElement: return "Airflow Elements";
    case DefinitionKind::DuctElement: return "Duct Elements";
    case DefinitionKind::SourceElement: return "Source/Sink Elements";
    case DefinitionKind::FilterElement: return "Filter Elements";
    case DefinitionKind::KineticReaction: return "Kinetic Reactions";
    case DefinitionKind::SuperElement: return "Control Super Elements";
    }
    return "";
}

LibraryManagerForm::LibraryManagerForm(Project& project, DefinitionKind kind) : project_(project), kind_(kind)
{
    library_.kind = library_kind_of(kind);
}

std::string LibraryManagerForm::title() const
{
    return "AVELORW Data and Library Manager: " + std::string(definition_kind_name(kind_));
}

std::string LibraryManagerForm::library_caption() const
{
    if (library_.path.empty()) return "(new library)";
    const PathParts parts = PathSplit(library_.path);
    return parts.name + parts.extension + (library_.converted ? " (converted)" : "");
}

void LibraryManagerForm::set_description(std::string description)
{
    if (description == library_.description) return;
    library_.description = std::move(description);
    library_.changed = true;
}

namespace {

std::vector<std::string> names_in(const Project& lists, DefinitionKind kind)
{
    switch (kind) {
    case DefinitionKind::Species: return names_of(lists.species);
    case DefinitionKind::DaySchedule: return names_of(lists.day_schedules);
    case DefinitionKind::WeekSchedule: return names_of(lists.week_schedules);
    case DefinitionKind::WindProfile: return names_of(lists.wind_profiles);
    case DefinitionKind::AirflowElement: return names_of(lists.elements);
    case DefinitionKind::DuctElement: return names_of(lists.duct_elements);
    case DefinitionKind::SourceElement: return names_of(lists.source_elements);
    case DefinitionKind::FilterElement: return names_of(lists.filter_elements);
    case DefinitionKind::KineticReaction: return names_of(lists.reactions);
    case DefinitionKind::SuperElement: return names_of(lists.super_elements);
    }
    return {};
}

}  // namespace

std::vector<std::string> LibraryManagerForm::library_names() const { return names_in(*library_.lists, kind_); }
std::vector<std::string> LibraryManagerForm::project_names() const { return names_in(project_, kind_); }

bool LibraryManagerForm::settle_changes()
{
    if (!library_.changed) return true;
    switch (ask_question_or_cancel(kSaveLibraryQuestion)) {
    case 1: return save();
    case 0: return true;
    default: return false;
    }
}

bool LibraryManagerForm::browse()
{
    if (!settle_changes()) return false;
    const std::string extension(library_extension(library_.kind));
    const std::string filter = "Library Files (*" + extension + ")";
    const std::string path = user_port().choose_file(FileChoice::Open, filter, extension.substr(1), library_.path);
    if (path.empty()) return false;
    return open(path);
}

bool LibraryManagerForm::open(const std::string& path)
{
    if (library_kind_of_path(path) != library_.kind) {
        const PathParts parts = PathSplit(path);
        report_error(ERROR, {"Invalid library file extension: ", parts.extension});
        return false;
    }
    const LibraryKind kind = library_.kind;
    return read_library(path, kind, library_);
}

bool LibraryManagerForm::new_library()
{
    if (!settle_changes()) return false;
    library_.clear();
    library_.path.clear();
    return true;
}

bool LibraryManagerForm::save()
{
    if (library_.path.empty()) return save_as();
    return write_library(library_.path, library_);
}

bool LibraryManagerForm::save_as()
{
    const std::string extension(library_extension(library_.kind));
    const std::string path = user_port().choose_file(FileChoice::Save, "Library Files (*" + extension + ")",
                                                     extension.substr(1), library_.path);
    if (path.empty()) return false;
    return write_library(path, library_);
}

int LibraryManagerForm::copy_to_project(const std::vector<std::string>& names)
{
    const int copied = copy_definitions(kind_, *library_.lists, project_, names);
    if (copied > 0) project_changed_ = true;
    return copied;
}

int LibraryManagerForm::copy_to_library(const std::vector<std::string>& names)
{
    const int copied = copy_definitions(kind_, project_, *library_.lists, names);
    if (copied > 0) library_.changed = true;
    return copied;
}

int LibraryManagerForm::delete_from(Project& lists, const std::vector<std::string>& names, bool project_side)
{
    if (names.empty() || ask_question(kDeleteDefinitionsQuestion) != 1) return 0;
    int deleted = 0;
    for (const std::string& name : names) {
        bool gone = false;
        switch (kind_) {
        case DefinitionKind::Species:
            if (Species* s = lists.species.find_by_name(name))
                gone = remove_unused(lists.species, s, species_users(lists, *s));
            break;
        case DefinitionKind::DaySchedule:
            if (DaySchedule* d = lists.day_schedules.find_by_name(name))
                gone = remove_unused(lists.day_schedules, d, users_of(lists, *d));
            break;
        case DefinitionKind::WeekSchedule:
            if (WeekSchedule* w = lists.week_schedules.find_by_name(name))
                gone = remove_unused(lists.week_schedules, w, users_of(lists, *w));
            break;
        case DefinitionKind::WindProfile:
            if (WindProfile* p = lists.wind_profiles.find_by_name(name))
                gone = remove_unused(lists.wind_profiles, p, users_of(lists, *p));
            break;
        case DefinitionKind::AirflowElement:
            if (AirflowElement* e = lists.elements.find_by_name(name))
                gone = remove_unused(lists.elements, e, element_users(lists, *e));
            break;
        case DefinitionKind::DuctElement:
            if (DuctElement* e = lists.duct_elements.find_by_name(name))
                gone = remove_unused(lists.duct_elements, e, users_of(lists, *e));
            break;
        case DefinitionKind::SourceElement:
            if (SourceElement* e = lists.source_elements.find_by_name(name))
                gone = remove_unused(lists.source_elements, e, source_element_users(lists, *e));
            break;
        case DefinitionKind::FilterElement:
            if (FilterElement* e = lists.filter_elements.find_by_name(name)) {
                count_filter_element_uses(lists);
                std::vector<std::string> users = filter_element_users(lists, *e);
                if (users.empty() && e->use_count > 0) users.push_back(std::to_string(e->use_count) + " filters");
                gone = remove_unused(lists.filter_elements, e, users);
            }
            break;
        case DefinitionKind::KineticReaction:
            if (KineticReaction* r = lists.reactions.find_by_name(name))
                gone = remove_unused(lists.reactions, r, reaction_users(lists, *r));
            break;
        case DefinitionKind::SuperElement:
            if (SuperElement* e = lists.super_elements.find_by_name(name))
                gone = remove_unused(lists.super_elements, e, super_element_users(lists, *e));
            break;
        }
        if (gone) ++deleted;
    }
    if (deleted > 0) {
        if (project_side) {
            project_.mark_changed();
            project_changed_ = true;
        } else {
            library_.changed = true;
        }
    }
    return deleted;
}

int LibraryManagerForm::delete_from_library(const std::vector<std::string>& names)
{
    return delete_from(*library_.lists, names, false);
}

int LibraryManagerForm::delete_from_project(const std::vector<std::string>& names)
{
    return delete_from(project_, names, true);
}

bool LibraryManagerForm::close() { return settle_changes(); }

}  // namespace avelor
