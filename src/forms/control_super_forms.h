// Phantom nodes, super nodes and control super elements without the
// widgets: the "Phantom Control" dialog's list, the "Super Node" dialog
// with its "Create Super Node", and the model of the "Control Super
// Elements" window with its element check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/control_node_forms.h"
#include "model/control_node.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// ------------------------------------------------------------- phantoms

inline constexpr std::string_view kPhantomCaption = "Phantom Control";
inline constexpr std::string_view kNoPhantomTargets =
    "There are no named control nodes for a phantom node to stand for.\nName a control node first.";

// The nodes a phantom may stand for: those of the network with a name that
// are neither super nor phantom nodes.
std::vector<ControlNode*> phantom_candidates(const std::vector<ControlNode*>& network);

class PhantomForm {
public:
    // current: the node the phantom stands for already, preselected (else
    // the first of the list).
    PhantomForm(const std::vector<ControlNode*>& network, const ControlNode* current);

    bool empty() const { return choices_.empty(); }
    const std::vector<ControlNode*>& choices() const { return choices_; }
    std::vector<std::string> names() const;
    int selected() const { return selected_; }
    bool select(int index);
    ControlNode* chosen() const;
    // "Name:", "Description:" and "Type:" of the node shown.
    std::string name() const;
    std::string description() const;
    std::string type_name() const;

private:
    std::vector<ControlNode*> choices_;
    int selected_ = -1;
};

// A phantom sub-node of a super node stands for node from now on (null:
// none): its first input names the node of the building's network, whose
// ref_count counts it once. True when it changed.
bool set_phantom_sub_node(ControlNode& phantom, ControlNode* node);

// ------------------------------------------------------------- super nodes

inline constexpr std::string_view kSuperNodeCaption = "Super Node";
inline constexpr std::string_view kPhantomsMustBeSet = "Highlighted phantom nodes must be set";
inline constexpr std::string_view kChooseSuperElement = "A super element must be chosen.";

// The nodes of a super element's list as a chain (for sequencing).
std::vector<ControlNode*> element_chain(const SuperElement& element);

// Makes an instance of element at the end of the main list: the instance
// node (type 35, with name and description) followed by copies of the
// element's nodes, whose references among themselves follow the copies.
// The element's use count rises (when it was 0 its nodes are sequenced
// first). Returns the instance.
ControlNode* create_super_instance(Project& project, SuperElement& element, const std::string& name,
                                   const std::string& desc);
// Takes back an instance made by create_super_instance that nothing else
// refers to yet: its copies and itself leave the main list, the element's
// use count falls, and the nodes its phantom copies named count one
// reference less.
void remove_super_instance(Project& project, ControlNode* instance);

class SuperNodeForm {
public:
    // instance: the super node edited, or null for a new one.
    SuperNodeForm(Project& project, ControlNode* instance, std::vector<const ControlNode*> peers);
    SuperNodeForm(const SuperNodeForm&) = delete;
    SuperNodeForm& operator=(const SuperNodeForm&) = delete;

    // "Element Data".
    std::vector<std::string> element_names() const;
    int chosen_element() const { return element_; }
    bool choose_element(int index);
    SuperElement* element() const;
    std::string element_name() const;
    std::string element_description() const;
    std::string element_defined() const;  // "YES" or "NO"

    // "Node Data".
    const std::string& name() const { return name_; }
    const std::string& description() const { return desc_; }
    void set_name(std::string_view text);
    void set_description(std::string_view text);

    // "Create Super Node": only once, for a new node with an element chosen.
    bool can_create() const { return !instance_ && element_ >= 0; }
    ControlAnswer create();
    ControlNode* instance() const { return instance_; }
    bool created() const { return created_; }

    // The instance's phantom copies that stand for nothing yet.
    std::vector<ControlNode*> unset_phantoms() const;

    // The sub-network of the instance, for setting its phantoms: every
    // phantom copy in the element's order, a line for each ("<n> <name> ->
    // <node it stands for>", or "not set"), and the "Phantom Control"
    // dialog for one of them over the building's nodes outside the
    // instance, with the node it stands for preselected.
    std::vector<ControlNode*> phantom_copies() const;
    std::string phantom_line(const ControlNode& copy) const;
    PhantomForm phantom_form(const ControlNode& copy) const;
    // The copy stands for node from now on; true when it changed.
    bool set_phantom(ControlNode& copy, ControlNode* node);

    // OK: the name rules, a created node, and every phantom set.
    ControlAnswer accept();
    // Cancel: a node this dialog created is taken back.
    void cancel();

private:
    Project& project_;
    ControlNode* instance_;
    std::vector<const ControlNode*> peers_;
    std::vector<SuperElement*> elements_;
    int element_ = -1;
    std::string name_;
    std::string desc_;
    bool created_ = false;
};

// ------------------------------------------------------------- super elements

inline constexpr std::string_view kSuperElementsCaption = "Control Super Elements";
inline constexpr std::string_view kSuperSketchName = "SEsketch";
inline constexpr std::string_view kInputOutputSame = "Input and Output subnodes must be different.";
inline constexpr std::string_view kNameSuperElement = "You must name the Super Element.";
inline constexpr std::string_view kNodesNotDefined = "Highlighted nodes not defined";
inline constexpr std::string_view kWrongInputCount = "Incorrect number of inputs to control";
inline constexpr std::string_view kNoOutputNode = "The Super Element must have an Output Node.";
inline constexpr std::string_view kInput1Connected = "input1 of Input sub-node should not be connected.";
inline constexpr std::string_view kInput2NotConnected = "input2 of Input sub-node should be connected.";
inline constexpr std::string_view kOutputRequired = " <required>";

// "SE_" and the next number: 1 for the first, else the count + 1, raised
// until no element has that name.
std::string next_super_element_name(const NamedList<SuperElement>& elements);

// What "Check Element" found: the first failure's message and the cells to
// highlight (column, row of the element's sketch), or defined.
struct SuperElementCheck {
    bool defined = false;
    std::string message;
    std::vector<GridCell> highlighted;
};
// Checks the element's sketch and sets or clears its flag 0x02 (it holds
// a sensor end). Shows the failure (ERROR) unless silent.
SuperElementCheck check_super_element(SuperElement& element, bool silent);

// The "Control Super Elements" window over the project's elements.
class SuperElementsForm {
public:
    explicit SuperElementsForm(Project& project);
    SuperElementsForm(const SuperElementsForm&) = delete;
    SuperElementsForm& operator=(const SuperElementsForm&) = delete;

    // "Element Manager": the elements in name order.
    std::vector<std::string> names() const;
    int selected() const;
    // Stores the description of the element left, then shows this one.
    bool select(int index);
    SuperElement* current() const { return current_; }
    Project& project() const { return project_; }
    // After the element list changed elsewhere (the library manager): the
    // element shown again, or the first when it has gone.
    void lists_changed();

    // "New Element": an element with the next "SE_" name and an empty
    // sketch, selected.
    SuperElement* new_element();
    // "Rename Element": the definition name rules and "May not use
    // existing name" (WARNING); false when refused.
    bool rename(std::string_view name);

    // "Description:" (at most 254 characters, one line).
    const std::string& description() const { return desc_; }
    void set_description(std::string_view text);

    // "Input Node:" and "Output Node:": the element's nodes ("<n> <name>");
    // index -1 chooses none. The same node for both is refused (NOTE) and
    // the previous choice stays. The sketch's markers follow (189 input,
    // 188 output, 185 otherwise).
    std::vector<std::string> node_choices() const;
    int input_choice() const;
    int output_choice() const;
    std::string output_text() const;
    bool choose_input(int index);
    bool choose_output(int index);

    // "Super Node Reference Count:" and "Element defined?".
    std::int32_t reference_count() const;
    // Instances exist: the sketch cannot be changed.
    bool sketch_locked() const { return reference_count() > 0; }
    std::string defined_text() const { return defined_ ? "YES" : "NO"; }

    // "Check Element".
    SuperElementCheck check(bool silent = false);
    // OK (or Cancel): the element needs a name; then its description is
    // stored, it is checked silently and the project must be saved.
    ControlAnswer finish();

private:
    void store_description();
    void show(SuperElement* element);
    void mark_io_icons();

    Project& project_;
    SuperElement* current_ = nullptr;
    std::string desc_;
    bool defined_ = false;
};

}  // namespace avelor
