#include "forms/control_node_forms.h"

#include <algorithm>
#include <cmath>

#include "app/diagnostics.h"
#include "forms/sheet_parts.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

std::string_view default_control_description(int type, ControlEditMode mode)
{
    static constexpr std::array<std::string_view, kControlTypeCount> kDescriptions{
        "Sensor",
        "Scheduled value",
        "Constant value",
        "Continuous (CVF) value",
        "Discrete (DVF) value",
        "Report input",
        "Split (or pass) input",
        "Modify input",
        "Hysteresis effect",
        "Absolute value of input",
        "Convert Real to Binary",
        "Delay input by schedule",
        "Delay input by exponential",
        "Integrate input over time",
        "Running average of input",
        "NOT (or invert) input",
        "AND two inputs",
        "OR two inputs",
        "XOR two inputs",
        "Add two inputs",
        "Subtract input",
        "Multiply two inputs",
        "Divide input",
        "Sum of all inputs",
        "Average of all inputs",
        "Maximum of all inputs",
        "Minimum of all inputs",
        "Lower limit switch",
        "Upper limit switch",
        "Lower band switch",
        "Upper band switch",
        "Lower limit control",
        "Upper limit control",
        "Proportional control",
        "Proportional-Integral control",
        "Super element",
        "",
        "Exponent",
        "Log base e",
        "Log base 10",
        "Raise x to power y",
        "Square Root",
        "Polynomial",
        "Sin",
        "Cos",
        "Tan",
        "Modulo",
        "Ceiling",
        "Floor",
        "phantom control",
    };
    if (type == kCtSph && mode == ControlEditMode::SuperElement) return "Super phantom";
    if (type < 0 || type >= kControlTypeCount) return {};
    return kDescriptions[static_cast<std::size_t>(type)];
}

// ------------------------------------------------------------- chooser

const std::array<ControlChoice, kControlChoiceCount>& control_choices()
{
    static constexpr std::array<ControlChoice, kControlChoiceCount> kChoices{{
        {"Sensor ...", kCtSns},
        {"Phantom control ...", kCtSph},
        {"Schedule...", kCtSch},
        {"Constant...", kCtSet},
        {"CVF Name ...", kCtCvf},
        {"DVF Name ...", kCtDvf},
        {"Report a value ...", kCtLog},
        {"Signal split", kCtPas},
        {"Super element ...", kCtSup},
        {"Modifier...", kCtMod},
        {"Hysteresis ...", kCtHys},
        {"Absolute value", kCtAbs},
        {"Binary (0 or 1)", kCtBin},
        {"Scheduled delay ...", kCtDls},
        {"Exponential delay ...", kCtDlx},
        {"Integrate over time", kCtInt},
        {"Running average...", kCtRav},
        {"NOT", kCtInv},
        {"AND", kCtAnd},
        {"OR", kCtOr},
        {"XOR", kCtXor},
        {"+ Add", kCtAdd},
        {"- Subtract", kCtSub},
        {"* Multiply", kCtMul},
        {"/ Divide", kCtDiv},
        {"Sum", kCtSum},
        {"Average", kCtAvg},
        {"Maximum", kCtMax},
        {"Minimum", kCtMin},
        {"Lower limit switch", kCtLls},
        {"Upper limit switch", kCtUls},
        {"Lower band switch ...", kCtLbs},
        {"Upper band switch ...", kCtUbs},
        {"Lower limit control", kCtLlc},
        {"Upper limit control", kCtUlc},
        {"Proportional controller...", kCtPc1},
        {"P/I controller...", kCtPi1},
        {"EXP(x)", kCtExp},
        {"LN(x)", kCtLgn},
        {"LOG10(x)", kCtLg1},
        {"POW(x,y)", kCtPow},
        {"SQRT(x)", kCtSqt},
        {"Polynomial(x)", kCtPly},
        {"SIN(x)", kCtSin},
        {"COS(x)", kCtCos},
        {"TAN(x)", kCtTan},
        {"MOD(x,y)", kCtMdu},
        {"CEIL(x)", kCtCel},
        {"FLOOR(x)", kCtFlr},
    }};
    return kChoices;
}

namespace {

std::optional<std::size_t> choice_of_type(int type)
{
    const auto& choices = control_choices();
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].type == type) return i;
    return std::nullopt;
}

}  // namespace

ControlTypeChooser::ControlTypeChooser(int arrowheads_in, int link_neighbours, ControlEditMode mode)
    : k_(arrowheads_in), link_neighbours_(link_neighbours), mode_(mode)
{
    int preselect = kCtLog;
    if (k_ > 1)
        preselect = kCtAdd;
    else if (k_ == 0)
        preselect = kCtSet;
    else if (mode_ == ControlEditMode::SuperElement)
        preselect = kCtPas;
    if (!select_type(preselect)) {
        // The preselection is always enabled for k of 0 or 1; beyond two
        // inputs only the list types are.
        for (std::size_t i = 0; i < kControlChoiceCount; ++i)
            if (select(i)) break;
    }
}

int link_piece_neighbours(const SketchGrid& grid, int row, int col)
{
    const LevelCells& l = grid.current();
    int count = 0;
    const std::array<GridCell, 4> around{{{row - 1, col}, {row, col + 1}, {row + 1, col}, {row, col - 1}}};
    for (const GridCell c : around) {
        if (!grid.in_grid(c.row, c.col)) continue;
        const std::uint8_t code = l.Links(c.row, c.col);
        if (code >= ICN_LINK_H && code <= ICN_LINK_HEAD_V) ++count;
    }
    return count;
}

ControlTypeChooser ControlTypeChooser::at_cell(const SketchGrid& grid, int row, int col, ControlEditMode mode)
{
    return ControlTypeChooser(count_link_inputs(grid, row, col), link_piece_neighbours(grid, row, col), mode);
}

bool ControlTypeChooser::offered(ControlEditMode mode)
{
    if (mode != ControlEditMode::SuperNode) return true;
    show_message(NOTE, {kNoNewElementsInSuperNode});
    return false;
}

bool ControlTypeChooser::enabled(std::size_t index) const
{
    if (index >= kControlChoiceCount) return false;
    const int type = control_choices()[index].type;
    // The list types take any number of inputs.
    const int inputs = control_inputs_of_type(type);
    if (inputs != kManyInputs && inputs < k_) return false;
    if (type == kCtSns && link_neighbours_ != 1) return false;
    if (mode_ == ControlEditMode::SuperElement &&
        (type == kCtSup || type == kCtCvf || type == kCtDvf || type == kCtSch || type == kCtLog))
        return false;
    return true;
}

bool ControlTypeChooser::enabled_type(int type) const
{
    const auto index = choice_of_type(type);
    return index && enabled(*index);
}

bool ControlTypeChooser::select(std::size_t index)
{
    if (!enabled(index)) return false;
    selected_ = index;
    return true;
}

bool ControlTypeChooser::select_type(int type)
{
    const auto index = choice_of_type(type);
    return index && select(*index);
}

// ------------------------------------------------------------- names

std::string stored_control_name(std::string_view typed)
{
    if (typed.empty()) return std::string(kNoControlName);
    return std::string(typed.substr(0, kControlNameLimit));
}

std::optional<std::string> control_name_refusal(std::string_view name, const std::vector<const ControlNode*>& peers,
                                                const ControlNode* self)
{
    if (name.find(' ') != std::string_view::npos) return std::string("Blanks not permitted in name");
    if (name.find(',') != std::string_view::npos) return std::string("Commas not permitted in name");
    const std::string stored = stored_control_name(name);
    if (stored == kNoControlName) return std::nullopt;
    for (const ControlNode* other : peers) {
        if (!other || other == self || other->type == kCtSup) continue;
        if (other->name == stored) return std::string(kControlNameNotUnique);
    }
    return std::nullopt;
}

// ------------------------------------------------------------- type dialogs

std::string_view control_dialog_caption(int type)
{
    switch (type) {
    case kCtSch: return "Scheduled Control Signal";
    case kCtSet: return "Set Control Signal";
    case kCtCvf:
    case kCtDvf: return "CVF/DVF Control";
    case kCtLog: return "Report Control Signal";
    case kCtMod: return "Modify Control Signal";
    case kCtHys: return "Hysteresis Effects";
    case kCtDls: return "Signal Delay by Schedule";
    case kCtDlx: return "Signal Delay by Exponential Decay";
    case kCtRav: return "Running Average of Input Signal";
    case kCtSum:
    case kCtAvg:
    case kCtMax:
    case kCtMin: return "Multiple Input Signals";
    case kCtLbs:
    case kCtUbs: return "Lower/Upper Band Switch";
    case kCtPc1: return "Proportional Control";
    case kCtPi1: return "Proportional-Integral Control";
    case kCtPly: return "Polynomial Control";
    case kCtSns: return "Sensor (zone, junction, or occupant)";
    case kCtSph: return "Phantom Control";
    case kCtSup: return "Super Node";
    default: return "Generic Control";
    }
}

std::optional<std::string> values_file_missing(int type, const ValuesFileHeader* header)
{
    if (header) return std::nullopt;
    if (type == kCtCvf)
        return std::string("A Continuous Values File (CVF) is required.\n") + " Define the CFV from the DATA menu.";
    if (type == kCtDvf)
        return std::string("A Discrete Values File (DVF) is required.\n") + " Define the DFV from the DATA menu.";
    return std::nullopt;
}

bool delay_schedule_fits(const DaySchedule& day, bool increasing)
{
    if (!day.trapezoidal() || day.utyp != kScheduleDimensionless || day.points.empty()) return false;
    const float start = increasing ? 0.0f : 1.0f;
    const float end = increasing ? 1.0f : 0.0f;
    return day.points.front().value == start && day.points.back().value == end;
}

std::string delay_schedule_refusal(bool increasing)
{
    return std::string("Schedule must be trapezoidal,\n") +
           (increasing ? " start at 0, and end at 1.\nFix day schedule using the Data Menu."
                       : " start at 1, and end at 0.\nFix day schedule using the Data Menu.");
}

ControlNode new_control_node(int type, ControlEditMode mode)
{
    ControlNode node;
    node.type = static_cast<std::int16_t>(type);
    node.desc = std::string(default_control_description(type, mode));
    node.data = new_control_data(type);
    if (auto* poly = std::get_if<PolynomialData>(&node.data)) poly->coefficients = {1.0f, 1.0f};
    // A slack of 0 is out of range; a new node starts at the least one.
    if (auto* h = std::get_if<HysteresisData>(&node.data)) h->slack = kMinSlack;
    return node;
}

ControlNodeForm::ControlNodeForm(Project& project, const ControlNode& node, std::vector<const ControlNode*> peers,
                                 const ControlNode* self, const ValuesFileHeader* header, std::string header_file)
    : project_(project),
      working_(node),
      peers_(std::move(peers)),
      self_(self),
      header_(header),
      header_file_(std::move(header_file))
{
    working_.next = nullptr;
    if (const auto* s = std::get_if<ScheduleNodeData>(&working_.data))
        temperature_ = s->schedule && s->schedule->utyp == kScheduleTemperature;
    if (auto* poly = std::get_if<PolynomialData>(&working_.data)) {
        if (poly->coefficients.empty()) poly->coefficients.push_back(0.0f);
        if (poly->coefficients.size() > kMaxPolynomialOrder + 1) poly->coefficients.resize(kMaxPolynomialOrder + 1);
        coefficient_entry_ = poly->coefficients.front();
    }
    make_fields();
}

void ControlNodeForm::make_fields()
{
    auto add = [this](ControlField which, float& value, float lower = NO_LIMIT, float upper = NO_LIMIT) {
        fields_.emplace_back(which, UnitField(value, UnitKind::Dimensionless, 0, lower, upper));
    };
    ControlData& d = working_.data;
    if (auto* c = std::get_if<ConstantData>(&d)) add(ControlField::Value, c->value);
    if (auto* r = std::get_if<ReportData>(&d)) {
        add(ControlField::Gain, r->gain);
        add(ControlField::Offset, r->offset);
    }
    if (auto* m = std::get_if<ModifierData>(&d)) {
        add(ControlField::Gain, m->gain);
        add(ControlField::Offset, m->offset);
    }
    if (auto* h = std::get_if<HysteresisData>(&d)) add(ControlField::Slack, h->slack, kMinSlack, kMaxSlack);
    if (auto* b = std::get_if<BandData>(&d)) add(ControlField::BandWidth, b->width, 0.0f);
    if (auto* p = std::get_if<ProportionalData>(&d)) add(ControlField::Kp, p->Kp);
    if (auto* p = std::get_if<PiData>(&d)) {
        add(ControlField::Kp, p->Kp);
        add(ControlField::Ki, p->Ki);
    }
    if (std::holds_alternative<PolynomialData>(d)) add(ControlField::Coefficient, coefficient_entry_);
}

UnitField* ControlNodeForm::field(ControlField which)
{
    for (auto& [key, f] : fields_)
        if (key == which) return &f;
    return nullptr;
}

std::string ControlNodeForm::name_text() const
{
    return working_.name == kNoControlName ? std::string() : working_.name;
}

void ControlNodeForm::set_name(std::string_view text)
{
    working_.name = std::string(text.substr(0, kControlNameLimit));
}

void ControlNodeForm::set_description(std::string_view text)
{
    working_.desc = one_line(text, kControlDescriptionLimit);
}

void ControlNodeForm::set_temperature_schedules(bool on)
{
    if (on == temperature_) return;
    temperature_ = on;
    // A schedule of the other kind is no longer offered.
    if (auto* s = std::get_if<ScheduleNodeData>(&working_.data)) s->schedule = nullptr;
}

std::vector<WeekSchedule*> ControlNodeForm::schedule_choices() const
{
    std::vector<WeekSchedule*> out;
    const std::int16_t utyp = temperature_ ? kScheduleTemperature : kScheduleDimensionless;
    for (WeekSchedule& w : project_.week_schedules)
        if (w.utyp == utyp) out.push_back(&w);
    return out;
}

WeekSchedule* ControlNodeForm::schedule() const
{
    const auto* s = std::get_if<ScheduleNodeData>(&working_.data);
    return s ? s->schedule : nullptr;
}

bool ControlNodeForm::choose_schedule(WeekSchedule* schedule)
{
    auto* s = std::get_if<ScheduleNodeData>(&working_.data);
    if (!s) return false;
    const std::int16_t utyp = temperature_ ? kScheduleTemperature : kScheduleDimensionless;
    if (schedule && schedule->utyp != utyp) return false;
    s->schedule = schedule;
    return true;
}

const std::vector<std::string>& ControlNodeForm::value_names() const
{
    static const std::vector<std::string> kNone;
    return header_ ? header_->names : kNone;
}

bool ControlNodeForm::choose_value_name(std::string_view name)
{
    auto* v = std::get_if<ValuesNameData>(&working_.data);
    if (!v) return false;
    const auto& names = value_names();
    if (std::find(names.begin(), names.end(), name) == names.end()) return false;
    v->name = std::string(name);
    return true;
}

const std::string& ControlNodeForm::value_name() const
{
    static const std::string kEmpty;
    const auto* v = std::get_if<ValuesNameData>(&working_.data);
    return v ? v->name : kEmpty;
}

std::string ControlNodeForm::file_description() const
{
    return header_ ? header_->description : std::string();
}

void ControlNodeForm::set_header(std::string_view text)
{
    if (auto* r = std::get_if<ReportData>(&working_.data)) r->header = std::string(text.substr(0, kReportHeaderLimit));
}

void ControlNodeForm::set_units(std::string_view text)
{
    if (auto* r = std::get_if<ReportData>(&working_.data)) r->units = std::string(text.substr(0, kReportUnitsLimit));
}

void ControlNodeForm::reset_units()
{
    set_units(default_units_);
}

std::vector<DaySchedule*> ControlNodeForm::delay_choices(bool increasing) const
{
    std::vector<DaySchedule*> out;
    for (DaySchedule& day : project_.day_schedules)
        if (delay_schedule_fits(day, increasing)) out.push_back(&day);
    return out;
}

bool ControlNodeForm::choose_delay(bool increasing, DaySchedule* schedule)
{
    auto* d = std::get_if<DelayScheduleData>(&working_.data);
    if (!d) return false;
    if (schedule && !delay_schedule_fits(*schedule, increasing)) {
        show_message(WARNING, {delay_schedule_refusal(increasing)});
        return false;
    }
    (increasing ? d->first : d->second) = schedule;
    return true;
}

DaySchedule* ControlNodeForm::delay(bool increasing) const
{
    const auto* d = std::get_if<DelayScheduleData>(&working_.data);
    if (!d) return nullptr;
    return increasing ? d->first : d->second;
}

TypedTime ControlNodeForm::time(ControlField which) const
{
    if (const auto* d = std::get_if<DelayTimesData>(&working_.data)) {
        if (which == ControlField::TimeIncreasing) return TypedTime::from(d->first);
        if (which == ControlField::TimeDecreasing) return TypedTime::from(d->second);
    }
    if (const auto* r = std::get_if<RunningAverageData>(&working_.data); r && which == ControlField::TimeSpan)
        return TypedTime::from(r->time);
    return {};
}

bool ControlNodeForm::set_time(ControlField which, const TypedTime& typed)
{
    std::int32_t* target = nullptr;
    if (auto* d = std::get_if<DelayTimesData>(&working_.data)) {
        if (which == ControlField::TimeIncreasing) target = &d->first;
        if (which == ControlField::TimeDecreasing) target = &d->second;
    }
    if (auto* r = std::get_if<RunningAverageData>(&working_.data); r && which == ControlField::TimeSpan)
        target = &r->time;
    if (!target) return false;
    const std::optional<std::int32_t> seconds = typed.seconds_of_day();
    if (!seconds) return false;
    *target = *seconds;
    return true;
}

int ControlNodeForm::order() const
{
    const auto* p = std::get_if<PolynomialData>(&working_.data);
    return p ? static_cast<int>(p->coefficients.size()) - 1 : 0;
}

bool ControlNodeForm::set_order(int order)
{
    auto* p = std::get_if<PolynomialData>(&working_.data);
    if (!p) return false;
    if (order < 0 || order > kMaxPolynomialOrder) {
        show_message(WARNING, {"The order of the polynomial must lie between 0 and 9"});
        return false;
    }
    p->coefficients.resize(static_cast<std::size_t>(order) + 1, 0.0f);
    if (selected_coefficient_ > order) select_coefficient(order);
    return true;
}

std::vector<std::string> ControlNodeForm::coefficient_rows() const
{
    std::vector<std::string> rows;
    if (const auto* p = std::get_if<PolynomialData>(&working_.data))
        for (std::size_t i = 0; i < p->coefficients.size(); ++i)
            rows.push_back("c" + std::to_string(i) + " " + format_number(p->coefficients[i], 0));
    return rows;
}

bool ControlNodeForm::select_coefficient(int row)
{
    const auto* p = std::get_if<PolynomialData>(&working_.data);
    if (!p || row < 0 || static_cast<std::size_t>(row) >= p->coefficients.size()) return false;
    selected_coefficient_ = row;
    coefficient_entry_ = p->coefficients[static_cast<std::size_t>(row)];
    if (UnitField* f = field(ControlField::Coefficient)) f->refresh();
    return true;
}

bool ControlNodeForm::replace_coefficient()
{
    auto* p = std::get_if<PolynomialData>(&working_.data);
    if (!p || static_cast<std::size_t>(selected_coefficient_) >= p->coefficients.size()) return false;
    p->coefficients[static_cast<std::size_t>(selected_coefficient_)] = coefficient_entry_;
    return true;
}

ControlAnswer ControlNodeForm::refuse(int severity, std::string text, ControlField focus)
{
    show_message(severity, {text});
    return ControlAnswer::refused(severity, std::move(text), focus);
}

ControlAnswer ControlNodeForm::accept()
{
    if (auto why = control_name_refusal(working_.name, peers_, self_)) return refuse(WARNING, *why, ControlField::Name);
    const ControlData& d = working_.data;
    if (const auto* s = std::get_if<ScheduleNodeData>(&d); s && !s->schedule)
        return refuse(WARNING, std::string(kNeedsSchedule), ControlField::Schedule);
    if (working_.type == kCtCvf || working_.type == kCtDvf) {
        if (auto missing = values_file_missing(working_.type, header_))
            return refuse(WARNING, *missing, ControlField::ValueName);
        if (value_name().empty())
            return refuse(WARNING, "A value name of the values file must be chosen.", ControlField::ValueName);
    }
    if (const auto* r = std::get_if<ReportData>(&d)) {
        if (r->header.find(' ') != std::string::npos)
            return refuse(ERROR, "Blanks not permitted in header", ControlField::Header);
        if (r->header.find(',') != std::string::npos)
            return refuse(ERROR, "Commas not permitted in header", ControlField::Header);
        if (r->units.find(' ') != std::string::npos)
            return refuse(ERROR, "Blanks not permitted in units", ControlField::Units);
        if (r->units.find(',') != std::string::npos)
            return refuse(ERROR, "Commas not permitted in units", ControlField::Units);
    }
    if (const auto* h = std::get_if<HysteresisData>(&d); h && (h->slack < kMinSlack || h->slack > kMaxSlack)) {
        // A slack read from a file may be out of range: the field says why.
        LastBox box;
        UnitField* f = field(ControlField::Slack);
        f->refresh();
        f->validate(f->shown_text());
        return ControlAnswer::refused(WARNING, box.message(), ControlField::Slack);
    }
    if (const auto* s = std::get_if<DelayScheduleData>(&d); s && (!s->first || !s->second))
        return refuse(WARNING, std::string(kNeedsBothSchedules),
                      s->first ? ControlField::Decreasing : ControlField::Increasing);
    if (const auto* t = std::get_if<DelayTimesData>(&d); t && (t->first <= 0 || t->second <= 0))
        return refuse(WARNING, std::string(kTimeConstantsPositive),
                      t->first <= 0 ? ControlField::TimeIncreasing : ControlField::TimeDecreasing);
    working_.name = stored_control_name(working_.name);
    return ControlAnswer::ok();
}

}  // namespace avelor
