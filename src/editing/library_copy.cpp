#include "editing/library_copy.h"

#include <map>
#include <variant>

#include "app/diagnostics.h"
#include "model/control_node.h"
#include "model/project.h"
#include "model/filter_element.h"
#include "model/species.h"

namespace avelor {

namespace {

// The contents of a definition over a target record of the same name: the
// target keeps its place in its list and the references made to it.
template <class T>
void overwrite(T& target, const T& source)
{
    T* next = target.next;
    const std::int32_t nr = target.nr;
    const std::int32_t uses = target.use_count;
    target = source;
    target.next = next;
    target.nr = nr;
    target.use_count = uses;
}

bool same_species(const Species& a, const Species& b)
{
    return a.molwt == b.molwt && a.mdiam == b.mdiam && a.edens == b.edens && a.decay == b.decay && a.Dm == b.Dm &&
           a.CCdef == b.CCdef && a.Cp == b.Cp && a.Kuv == b.Kuv && a.u == b.u && a.t == b.t && a.desc == b.desc;
}

bool same_day(const DaySchedule& a, const DaySchedule& b)
{
    return a.shap == b.shap && a.utyp == b.utyp && a.ucnv == b.ucnv && a.points == b.points && a.desc == b.desc;
}

bool same_element(const AirflowElement& a, const AirflowElement& b)
{
    return a.type == b.type && a.icon == b.icon && a.desc == b.desc && a.data == b.data;
}

// One copy: the records of `to` that stand for records of `from`, so that a
// definition referred to by several copies is settled (and asked about)
// once.
class Copier {
public:
    explicit Copier(Project& to) : to_(to) {}

    int copied() const { return copied_; }

    Species* species(Species* source)
    {
        if (!source) return nullptr;
        if (auto it = species_.find(source); it != species_.end()) return it->second;
        Species* target = to_.species.find_by_name(source->name);
        if (!target) {
            Species copy = *source;
            // A species new to the target is no contaminant of it yet.
            copy.s = 0;
            target = to_.species.insert_copy(copy);
        } else if (!same_species(*target, *source) && replace("species", source->name)) {
            set_species(*target, *source);
        }
        species_[source] = target;
        return target;
    }

    // The species itself as the copied definition: always overwritten.
    void copy_species(Species& source)
    {
        Species* target = to_.species.find_by_name(source.name);
        if (target)
            set_species(*target, source);
        else {
            Species copy = source;
            copy.s = 0;
            target = to_.species.insert_copy(copy);
        }
        species_[&source] = target;
        ++copied_;
    }

    DaySchedule* day(DaySchedule* source)
    {
        if (!source) return nullptr;
        if (auto it = days_.find(source); it != days_.end()) return it->second;
        DaySchedule* target = to_.day_schedules.find_by_name(source->name);
        if (!target)
            target = to_.day_schedules.insert_copy(*source);
        else if (!same_day(*target, *source) && replace("day schedule", source->name))
            overwrite(*target, *source);
        days_[source] = target;
        return target;
    }

    AirflowElement* element(AirflowElement* source)
    {
        if (!source) return nullptr;
        if (auto it = elements_.find(source); it != elements_.end()) return it->second;
        AirflowElement* target = to_.elements.find_by_name(source->name);
        if (!target)
            target = to_.elements.insert_copy(*source);
        else if (!same_element(*target, *source) && replace("airflow element", source->name))
            overwrite(*target, *source);
        elements_[source] = target;
        return target;
    }

    template <class T>
    T* copy_into(NamedList<T>& list, const T& contents)
    {
        T* target = list.find_by_name(contents.name);
        if (target)
            overwrite(*target, contents);
        else
            target = list.insert_copy(contents);
        ++copied_;
        return target;
    }

    void copy_week(const WeekSchedule& source)
    {
        WeekSchedule copy = source;
        for (DaySchedule*& d : copy.days) d = day(d);
        copy_into(to_.week_schedules, copy);
    }

    void copy_airflow_element(AirflowElement& source)
    {
        AirflowElement copy = source;
        if (auto* super = std::get_if<SuperData>(&copy.data))
            for (SubElement& sub : super->subs) sub.element = element(sub.element);
        elements_[&source] = copy_into(to_.elements, copy);
    }

    SourceElement* source_element(SourceElement* source)
    {
        if (!source) return nullptr;
        if (auto it = sources_.find(source); it != sources_.end()) return it->second;
        SourceElement copy = *source;
        copy.species = species(copy.species);
        for (SourceElement*& sub : copy.subs) sub = source_element(sub);
        SourceElement* target = to_.source_elements.find_by_name(copy.name);
        if (target)
            overwrite(*target, copy);
        else
            target = to_.source_elements.insert_copy(copy);
        sources_[source] = target;
        return target;
    }

    FilterElement* filter_element(FilterElement* source)
    {
        if (!source) return nullptr;
        if (auto it = filters_.find(source); it != filters_.end()) return it->second;
        FilterElement copy = *source;
        if (auto* cef = std::get_if<ConstantEfficiencyData>(&copy.data))
            for (Species*& s : cef->species) s = species(s);
        if (auto* gaseous = std::get_if<GaseousFilterData>(&copy.data))
            for (GaseousCurve& curve : gaseous->curves) curve.species = species(curve.species);
        if (auto* super = std::get_if<SuperFilterData>(&copy.data))
            for (FilterElement*& sub : super->subs) sub = filter_element(sub);
        FilterElement* target = to_.filter_elements.find_by_name(copy.name);
        if (target)
            overwrite(*target, copy);
        else
            target = to_.filter_elements.insert_copy(copy);
        filters_[source] = target;
        return target;
    }

    WeekSchedule* week(WeekSchedule* source)
    {
        if (!source) return nullptr;
        if (WeekSchedule* target = to_.week_schedules.find_by_name(source->name)) return target;
        WeekSchedule copy = *source;
        for (DaySchedule*& d : copy.days) d = day(d);
        return to_.week_schedules.insert_copy(copy);
    }

    void copy_super_element(const SuperElement& source)
    {
        if (const SuperElement* target = to_.super_elements.find_by_name(source.name); target && target->use_count > 0) {
            show_message(WARNING, {"Super element \"", source.name,
                                   "\" is used by super nodes and is not replaced."});
            return;
        }
        // The copy's nodes refer to one another; what they refer to outside
        // the element is the target's.
        SuperElement copy = source;
        for (ControlNode& node : copy.nodes) {
            if (auto* sensor = std::get_if<SensorData>(&node.data)) {
                sensor->species = species(sensor->species);
                // A sensed record belongs to the building it was drawn in.
                const auto* zone = std::get_if<ZoneRef>(&sensor->target.record);
                if (!(zone && zone->is_ambient()) && !std::holds_alternative<std::monostate>(sensor->target.record)) {
                    sensor->target.record = std::monostate{};
                    sensor->target.nr = 0;
                }
            }
            if (auto* delay = std::get_if<DelayScheduleData>(&node.data)) {
                delay->first = day(delay->first);
                delay->second = day(delay->second);
            }
            if (auto* scheduled = std::get_if<ScheduleNodeData>(&node.data))
                scheduled->schedule = week(scheduled->schedule);
        }
        copy_into(to_.super_elements, copy);
    }

    void copy_reaction(const KineticReaction& source)
    {
        KineticReaction copy = source;
        for (ReactionPair& pair : copy.pairs) {
            pair.product = species(pair.product);
            pair.reactant = species(pair.reactant);
        }
        copy_into(to_.reactions, copy);
    }

private:
    bool replace(const char* what, const std::string& name)
    {
        return ask_question(std::string("Replace ") + what + ": \"" + name + "\" ?") == 1;
    }

    // A species' values over the target's, which keeps its own place in the
    // contaminant list.
    static void set_species(Species& target, const Species& source)
    {
        const std::int16_t s = target.s;
        overwrite(target, source);
        target.s = s;
        update_species_units(target);
    }

    Project& to_;
    int copied_ = 0;
    std::map<Species*, Species*> species_;
    std::map<DaySchedule*, DaySchedule*> days_;
    std::map<AirflowElement*, AirflowElement*> elements_;
    std::map<SourceElement*, SourceElement*> sources_;
    std::map<FilterElement*, FilterElement*> filters_;
};

}  // namespace

int copy_definitions(DefinitionKind kind, Project& from, Project& to, const std::vector<std::string>& names)
{
    Copier copier(to);
    int copied = 0;
    for (const std::string& name : names) {
        switch (kind) {
        case DefinitionKind::Species:
            if (Species* s = from.species.find_by_name(name)) copier.copy_species(*s);
            break;
        case DefinitionKind::DaySchedule:
            if (DaySchedule* d = from.day_schedules.find_by_name(name)) copier.copy_into(to.day_schedules, *d);
            break;
        case DefinitionKind::WeekSchedule:
            if (WeekSchedule* w = from.week_schedules.find_by_name(name)) copier.copy_week(*w);
            break;
        case DefinitionKind::WindProfile:
            if (WindProfile* p = from.wind_profiles.find_by_name(name)) copier.copy_into(to.wind_profiles, *p);
            break;
        case DefinitionKind::AirflowElement:
            if (AirflowElement* e = from.elements.find_by_name(name)) copier.copy_airflow_element(*e);
            break;
        case DefinitionKind::DuctElement:
            if (DuctElement* e = from.duct_elements.find_by_name(name)) copier.copy_into(to.duct_elements, *e);
            break;
        case DefinitionKind::SourceElement:
            if (SourceElement* e = from.source_elements.find_by_name(name)) {
                copier.source_element(e);
                ++copied;
            }
            break;
        case DefinitionKind::FilterElement:
            if (FilterElement* e = from.filter_elements.find_by_name(name)) {
                copier.filter_element(e);
                ++copied;
            }
            break;
        case DefinitionKind::KineticReaction:
            if (KineticReaction* r = from.reactions.find_by_name(name)) copier.copy_reaction(*r);
            break;
        case DefinitionKind::SuperElement:
            if (SuperElement* e = from.super_elements.find_by_name(name)) copier.copy_super_element(*e);
            break;
        }
    }
    copied += copier.copied();
    if (copied > 0) {
        // The contaminant list follows the species' values (a species that
        // is one keeps its place); a refusal leaves the list as it was.
        if (kind != DefinitionKind::DaySchedule && kind != DefinitionKind::WeekSchedule &&
            kind != DefinitionKind::WindProfile && kind != DefinitionKind::AirflowElement &&
            kind != DefinitionKind::DuctElement)
            rebuild_contaminants(to);
        to.mark_changed();
    }
    return copied;
}

}  // namespace avelor
