// Copying definitions between a library's lists and the project's, in
// either direction, as the library manager's Copy buttons do: matched by
// name, with the definitions a copied one refers to coming along.
#pragma once

#include <string>
#include <vector>

namespace avelor {

class Project;

enum class DefinitionKind {
    Species,
    DaySchedule,
    WeekSchedule,
    WindProfile,
    AirflowElement,
    DuctElement,
    SourceElement,
    FilterElement,
    KineticReaction,
    SuperElement,  // control super elements
};

// Copies the named definitions of `from` into `to`. A definition of the
// same name in `to` is overwritten by the copy; the definitions a copied one
// refers to (a week schedule's day schedules, the species of a source/sink
// element, a filter element or a reaction, the sub-elements of a super
// element, the species and day schedules of a control super element's
// nodes) are copied along, matched by name, and one of the same name with other contents is
// replaced only when the user answers Yes to "Replace day schedule: "NAME"
// ?" (or species, airflow element); No links the copy to the target's own.
// An overwritten species keeps its place in the target's contaminant list
// and whether it is a contaminant there, so the list stays whole. A super
// element that super nodes of the target use is not overwritten (its
// instances copy its nodes): the user is told and it is skipped. Returns
// the number of definitions copied; `to` is marked changed when any was.
int copy_definitions(DefinitionKind kind, Project& from, Project& to, const std::vector<std::string>& names);

}  // namespace avelor
