// Defining control nodes without the widgets: the type chooser, the rules
// every node dialog shares (name and description) and the dialog of each
// node type, on a working copy of the node. Nothing reaches a node list
// before an accepted OK; the caller stores working() then.
//
// The sensor dialogs are in control_sensor_form.h, the phantom and super
// node dialogs and the "Control Super Elements" window in
// control_super_forms.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form_answer.h"
#include "forms/schedule_forms.h"
#include "model/control_node.h"
#include "model/unit_field.h"
#include "model/values_file.h"
#include "sketchpad/control_links.h"

namespace avelor {

class Project;
class SketchGrid;

// Which control network is being edited: the building's; a super node's
// sub-network shown for setting its phantom nodes; a super element's own
// network in the "Control Super Elements" window.
enum class ControlEditMode : int { Building = 0, SuperNode = 1, SuperElement = 2 };

// The control network an editor works on.
struct ControlEditing {
    ControlEditMode mode = ControlEditMode::Building;
    SuperElement* element = nullptr;  // SuperElement: the element whose network is built
    ControlNode* instance = nullptr;  // SuperNode: the super node whose phantoms are set
    // Values-file headers to use instead of the project's own (null: the
    // project's, when its run control names a file).
    const ValuesFileHeader* cvf = nullptr;
    const ValuesFileHeader* dvf = nullptr;
    std::string cvf_file, dvf_file;
};

// How many inputs a type takes is control_inputs_of_type of the model.

// The description a new node of the type starts with.
std::string_view default_control_description(int type, ControlEditMode mode);

// ------------------------------------------------------------- chooser

inline constexpr std::string_view kChooserCaption = "Control Element Types";
inline constexpr std::string_view kChooserPrompt = "Select the type of control element to create:";
inline constexpr std::string_view kNoNewElementsInSuperNode =
    "You can not create new elements when editing Super Nodes.";

struct ControlChoice {
    std::string_view label;
    int type;
};
inline constexpr std::size_t kControlChoiceCount = 49;
// The chooser's radio buttons, in their order.
const std::array<ControlChoice, kControlChoiceCount>& control_choices();

class ControlTypeChooser {
public:
    // arrowheads_in: the link arrowheads pointing into the cell;
    // link_neighbours: the four neighbours holding a plain or head link
    // piece.
    ControlTypeChooser(int arrowheads_in, int link_neighbours, ControlEditMode mode);
    // The same, counted at a cell of the current level.
    static ControlTypeChooser at_cell(const SketchGrid& grid, int row, int col, ControlEditMode mode);
    // In a super node's sub-network no chooser is offered: tells the user
    // (NOTE) and answers false.
    static bool offered(ControlEditMode mode);

    int arrowheads_in() const { return k_; }
    bool enabled(std::size_t index) const;
    bool enabled_type(int type) const;
    std::size_t selected() const { return selected_; }
    // A disabled or unknown button is not selected.
    bool select(std::size_t index);
    bool select_type(int type);
    int chosen_type() const { return control_choices()[selected_].type; }

private:
    int k_;
    int link_neighbours_;
    ControlEditMode mode_;
    std::size_t selected_ = 0;
};

// The plain or head link pieces (168..171) among the four neighbours.
int link_piece_neighbours(const SketchGrid& grid, int row, int col);

// ------------------------------------------------------------- names

inline constexpr std::size_t kControlNameLimit = 15;
inline constexpr std::size_t kControlDescriptionLimit = 70;
inline constexpr std::string_view kNoControlName = "<none>";
inline constexpr std::string_view kControlNameNotUnique =
    "The control name must be unique or <none>.\nYou can either enter a different name or CANCEL.";

// The name as stored: an empty name becomes "<none>".
std::string stored_control_name(std::string_view typed);
// Why a name cannot be stored, or nothing: blanks, commas, or a name other
// than "<none>" that another node of peers (other than self and instance
// nodes) already has. Shows nothing.
std::optional<std::string> control_name_refusal(std::string_view name, const std::vector<const ControlNode*>& peers,
                                                const ControlNode* self);

// ------------------------------------------------------------- type dialogs

enum class ControlField {
    Name,
    Description,
    Value,
    Schedule,
    ValueName,
    Gain,
    Offset,
    Header,
    Units,
    Slack,
    Increasing,
    Decreasing,
    TimeIncreasing,
    TimeDecreasing,
    TimeSpan,
    BandWidth,
    Kp,
    Ki,
    Order,
    Coefficient,
    SensedValue,
    Species,
    TimeConstant,
    Location,
    Element,
    Node,
};
using ControlAnswer = FormAnswer<ControlField>;

inline constexpr std::string_view kNeedsSchedule =
    "This control must have a schedule associated with it.\nYou can either select a schedule or CANCEL.";
inline constexpr std::string_view kNeedsBothSchedules =
    "This control must have both schedules associated with it.\nYou can either select both schedules or CANCEL.";
inline constexpr std::string_view kTimeConstantsPositive = "Both time constants must be > 0";
inline constexpr std::string_view kOutputFormula = "Output = (Input - Offset) * Gain";
inline constexpr std::size_t kReportHeaderLimit = 31;
inline constexpr std::size_t kReportUnitsLimit = 15;
inline constexpr float kMinSlack = 0.0001f;
inline constexpr float kMaxSlack = 0.5f;

// The dialog a type is defined in: its caption ("Generic Control").
std::string_view control_dialog_caption(int type);

// The message shown instead of the CVF or DVF dialog when the project has
// no such values file (header null); nothing for other types or with one.
std::optional<std::string> values_file_missing(int type, const ValuesFileHeader* header);

// Whether a day schedule may be offered as a scheduled delay's increasing
// (0 to 1) or decreasing (1 to 0) schedule: trapezoidal, dimensionless,
// starting and ending at those values.
bool delay_schedule_fits(const DaySchedule& day, bool increasing);
std::string delay_schedule_refusal(bool increasing);

// The dialog of every node type other than sensors, phantoms and super
// nodes, over a working copy of one node.
class ControlNodeForm {
public:
    // node: a new node of its type (see new_control_node) or a copy of the
    // one edited; peers: the other nodes of the list being edited (the
    // name must be new among them); self: the node edited, or null for a
    // new one. header: the project's values file of a CVF or DVF node.
    ControlNodeForm(Project& project, const ControlNode& node, std::vector<const ControlNode*> peers,
                    const ControlNode* self, const ValuesFileHeader* header = nullptr,
                    std::string header_file = {});
    ControlNodeForm(const ControlNodeForm&) = delete;
    ControlNodeForm& operator=(const ControlNodeForm&) = delete;

    int type() const { return working_.type; }
    std::string_view caption() const { return control_dialog_caption(working_.type); }
    const ControlNode& working() const { return working_; }

    // "Name:" (at most 15 characters; "<none>" shows as empty) and
    // "Description:" (at most 70; line breaks become blanks).
    std::string name_text() const;
    void set_name(std::string_view text);
    void set_description(std::string_view text);

    // A numeric field of the type's dialog (Value, Gain, Offset, Slack,
    // BandWidth, Kp, Ki, TimeConstant, Coefficient); null when the type
    // has no such field. Each checks its bounds when left.
    UnitField* field(ControlField which);

    // "Scheduled Control Signal": "None" or "Temperature" schedules.
    bool temperature_schedules() const { return temperature_; }
    void set_temperature_schedules(bool on);
    std::vector<WeekSchedule*> schedule_choices() const;
    WeekSchedule* schedule() const;
    // A schedule of the kind shown (from the list, "New Schedule" or
    // "Library..."); false for another kind.
    bool choose_schedule(WeekSchedule* schedule);

    // "CVF/DVF Control".
    const std::vector<std::string>& value_names() const;
    bool choose_value_name(std::string_view name);
    const std::string& value_name() const;
    std::string file_name() const { return header_file_; }
    std::string file_description() const;

    // "Report Control Signal": header and units; "Reset to default units".
    void set_header(std::string_view text);
    void set_units(std::string_view text);
    const std::string& default_units() const { return default_units_; }
    void set_default_units(std::string units) { default_units_ = std::move(units); }
    void reset_units();

    // "Signal Delay by Schedule": the lists offer only fitting schedules;
    // a schedule offered by "New Schedule" or "Library..." that does not
    // fit is refused with the message (WARNING).
    std::vector<DaySchedule*> delay_choices(bool increasing) const;
    bool choose_delay(bool increasing, DaySchedule* schedule);
    DaySchedule* delay(bool increasing) const;

    // Times as hours, minutes and seconds: the exponential delay's two
    // time constants (TimeIncreasing, TimeDecreasing) and the running
    // average's span (TimeSpan). False (after a WARNING) for a time out of
    // range; the stored time stays.
    TypedTime time(ControlField which) const;
    bool set_time(ControlField which, const TypedTime& typed);

    // "Polynomial Control": order 0..9; the coefficient list and the
    // "Coefficient Value:" field over the selected row; "Replace" stores it.
    int order() const;
    bool set_order(int order);
    std::vector<std::string> coefficient_rows() const;  // "c0 1"
    int selected_coefficient() const { return selected_coefficient_; }
    bool select_coefficient(int row);
    bool replace_coefficient();

    // OK: the name rules, then the type's own.
    ControlAnswer accept();

private:
    ControlAnswer refuse(int severity, std::string text, ControlField focus);
    void make_fields();

    Project& project_;
    ControlNode working_;
    std::vector<const ControlNode*> peers_;
    const ControlNode* self_;
    const ValuesFileHeader* header_;
    std::string header_file_;
    bool temperature_ = false;
    std::string default_units_;
    float coefficient_entry_ = 0;
    int selected_coefficient_ = 0;
    std::vector<std::pair<ControlField, UnitField>> fields_;
};

// A new node of the type: its data's defaults, the default description
// (a polynomial of order 1 with coefficients 1 and 1).
ControlNode new_control_node(int type, ControlEditMode mode);

}  // namespace avelor
