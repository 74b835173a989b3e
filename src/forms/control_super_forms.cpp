#include "forms/control_super_forms.h"

#include <algorithm>
#include <map>

#include "app/diagnostics.h"
#include "forms/sheet_parts.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "prjfile/project_pack.h"

namespace avelor {

// ------------------------------------------------------------- phantoms

std::vector<ControlNode*> phantom_candidates(const std::vector<ControlNode*>& network)
{
    std::vector<ControlNode*> out;
    for (ControlNode* node : network)
        if (node && !node->name.empty() && node->name != kNoControlName && node->type != kCtSup &&
            node->type != kCtSph)
            out.push_back(node);
    return out;
}

PhantomForm::PhantomForm(const std::vector<ControlNode*>& network, const ControlNode* current)
    : choices_(phantom_candidates(network))
{
    if (choices_.empty()) return;
    selected_ = 0;
    for (std::size_t i = 0; i < choices_.size(); ++i)
        if (choices_[i] == current) selected_ = static_cast<int>(i);
}

std::vector<std::string> PhantomForm::names() const
{
    std::vector<std::string> out;
    for (const ControlNode* node : choices_) out.push_back(node->name);
    return out;
}

bool PhantomForm::select(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= choices_.size()) return false;
    selected_ = index;
    return true;
}

ControlNode* PhantomForm::chosen() const
{
    return selected_ < 0 ? nullptr : choices_[static_cast<std::size_t>(selected_)];
}

std::string PhantomForm::name() const
{
    const ControlNode* n = chosen();
    return n ? n->name : std::string();
}

std::string PhantomForm::description() const
{
    const ControlNode* n = chosen();
    return n ? n->desc : std::string();
}

std::string PhantomForm::type_name() const
{
    const ControlNode* n = chosen();
    if (!n) return {};
    const auto info = control_type_info(n->type);
    return info ? std::string(info->label) : std::string();
}

bool set_phantom_sub_node(ControlNode& phantom, ControlNode* node)
{
    if (phantom.c1 == node) return false;
    if (phantom.c1 && phantom.c1->ref_count > 0) --phantom.c1->ref_count;
    phantom.c1 = node;
    if (node) ++node->ref_count;
    return true;
}

// ------------------------------------------------------------- super nodes

std::vector<ControlNode*> element_chain(const SuperElement& element)
{
    std::vector<ControlNode*> chain;
    for (ControlNode& node : element.nodes) chain.push_back(&node);
    return chain;
}

ControlNode* create_super_instance(Project& project, SuperElement& element, const std::string& name,
                                   const std::string& desc)
{
    if (element.use_count == 0) {
        // First use: the element's nodes numbered in its sketch's order, as
        // the instances will copy them, then ordered for evaluation.
        if (!element.sketch.empty()) pack_super_element(element);
        const std::vector<ControlNode*> chain = element_chain(element);
        sequence_controls(chain, &element);
    }
    ++element.use_count;

    ControlNode node;
    node.type = kCtSup;
    node.name = name;
    node.desc = desc;
    SuperInstanceData data;
    data.element = &element;
    node.data = data;
    ControlNode* instance = project.controls.add(node);

    std::map<const ControlNode*, ControlNode*> copies;
    std::vector<ControlNode*> made;
    for (const ControlNode& sub : element.nodes) {
        ControlNode copy = sub;
        copy.link_count = 0;
        copy.ref_count = 0;
        ControlNode* stored = project.controls.add(copy);
        copies[&sub] = stored;
        made.push_back(stored);
    }
    for (ControlNode* stored : made)
        for_each_node_reference(*stored, [&](ControlNode*& ref) {
            if (const auto it = copies.find(ref); it != copies.end()) ref = it->second;
        });
    // The phantom copies stand for nothing until they are set.
    for (ControlNode* stored : made)
        if (stored->type == kCtSph) stored->c1 = nullptr;

    auto& inst = std::get<SuperInstanceData>(instance->data);
    inst.copies = made;
    if (element.input) inst.input = copies[element.input];
    if (element.output) inst.output = copies[element.output];
    return instance;
}

void remove_super_instance(Project& project, ControlNode* instance)
{
    auto* inst = instance ? std::get_if<SuperInstanceData>(&instance->data) : nullptr;
    if (!inst) return;
    for (ControlNode* copy : inst->copies) {
        if (copy->type == kCtSph) set_phantom_sub_node(*copy, nullptr);
        project.controls.release(copy->nr);
    }
    if (inst->element && inst->element->use_count > 0) --inst->element->use_count;
    project.controls.release(instance->nr);
}

SuperNodeForm::SuperNodeForm(Project& project, ControlNode* instance, std::vector<const ControlNode*> peers)
    : project_(project), instance_(instance), peers_(std::move(peers))
{
    for (SuperElement& e : project_.super_elements) elements_.push_back(&e);
    if (instance_) {
        name_ = instance_->name == kNoControlName ? std::string() : instance_->name;
        desc_ = instance_->desc;
        if (const auto* d = std::get_if<SuperInstanceData>(&instance_->data))
            for (std::size_t i = 0; i < elements_.size(); ++i)
                if (elements_[i] == d->element) element_ = static_cast<int>(i);
    } else {
        desc_ = std::string(default_control_description(kCtSup, ControlEditMode::Building));
    }
}

std::vector<std::string> SuperNodeForm::element_names() const
{
    std::vector<std::string> out;
    for (const SuperElement* e : elements_) out.push_back(e->name);
    return out;
}

bool SuperNodeForm::choose_element(int index)
{
    // An instance keeps the element its sub-nodes are copies of.
    if (instance_ || index < 0 || static_cast<std::size_t>(index) >= elements_.size()) return false;
    element_ = index;
    return true;
}

SuperElement* SuperNodeForm::element() const
{
    return element_ < 0 ? nullptr : elements_[static_cast<std::size_t>(element_)];
}

std::string SuperNodeForm::element_name() const
{
    return element() ? element()->name : std::string();
}

std::string SuperNodeForm::element_description() const
{
    return element() ? element()->desc : std::string();
}

std::string SuperNodeForm::element_defined() const
{
    SuperElement* e = element();
    if (!e) return {};
    // The check sets the sensor flag only; a copy keeps the element as it is.
    SuperElement probe = *e;
    return check_super_element(probe, true).defined ? "YES" : "NO";
}

void SuperNodeForm::set_name(std::string_view text)
{
    name_ = std::string(text.substr(0, kControlNameLimit));
}

void SuperNodeForm::set_description(std::string_view text)
{
    desc_ = one_line(text, kControlDescriptionLimit);
}

ControlAnswer SuperNodeForm::create()
{
    if (!can_create()) {
        std::string text(kChooseSuperElement);
        show_message(WARNING, {text});
        return ControlAnswer::refused(WARNING, text, ControlField::Element);
    }
    instance_ = create_super_instance(project_, *element(), stored_control_name(name_), desc_);
    created_ = true;
    return ControlAnswer::ok();
}

std::vector<ControlNode*> SuperNodeForm::unset_phantoms() const
{
    std::vector<ControlNode*> out;
    if (const auto* d = instance_ ? std::get_if<SuperInstanceData>(&instance_->data) : nullptr)
        for (ControlNode* copy : d->copies)
            if (copy->type == kCtSph && !copy->c1) out.push_back(copy);
    return out;
}

std::vector<ControlNode*> SuperNodeForm::phantom_copies() const
{
    std::vector<ControlNode*> out;
    if (const auto* d = instance_ ? std::get_if<SuperInstanceData>(&instance_->data) : nullptr)
        for (ControlNode* copy : d->copies)
            if (copy && copy->type == kCtSph) out.push_back(copy);
    return out;
}

std::string SuperNodeForm::phantom_line(const ControlNode& copy) const
{
    std::int32_t position = 0;
    if (const auto* d = instance_ ? std::get_if<SuperInstanceData>(&instance_->data) : nullptr)
        for (std::size_t i = 0; i < d->copies.size(); ++i)
            if (d->copies[i] == &copy) position = static_cast<std::int32_t>(i + 1);
    std::string line = std::to_string(position);
    line.append(" ").append(copy.name.empty() ? std::string("<none>") : copy.name).append(" -> ");
    if (!copy.c1) return line.append("not set");
    return line.append(copy.c1->name.empty() ? "<none>" : copy.c1->name);
}

PhantomForm SuperNodeForm::phantom_form(const ControlNode& copy) const
{
    std::vector<ControlNode*> network;
    const auto* d = instance_ ? std::get_if<SuperInstanceData>(&instance_->data) : nullptr;
    for (ControlNode& node : project_.controls) {
        if (&node == instance_) continue;
        if (d && std::find(d->copies.begin(), d->copies.end(), &node) != d->copies.end()) continue;
        network.push_back(&node);
    }
    return PhantomForm(network, copy.c1);
}

bool SuperNodeForm::set_phantom(ControlNode& copy, ControlNode* node)
{
    const std::vector<ControlNode*> copies = phantom_copies();
    if (std::find(copies.begin(), copies.end(), &copy) == copies.end()) return false;
    if (!set_phantom_sub_node(copy, node)) return false;
    project_.mark_changed();
    return true;
}

ControlAnswer SuperNodeForm::accept()
{
    if (auto why = control_name_refusal(name_, peers_, instance_)) {
        show_message(WARNING, {*why});
        return ControlAnswer::refused(WARNING, *why, ControlField::Name);
    }
    if (!instance_) {
        std::string text(kChooseSuperElement);
        show_message(WARNING, {text});
        return ControlAnswer::refused(WARNING, text, ControlField::Element);
    }
    if (!unset_phantoms().empty()) {
        std::string text(kPhantomsMustBeSet);
        show_message(ERROR, {text});
        return ControlAnswer::refused(ERROR, text, ControlField::Node);
    }
    instance_->name = stored_control_name(name_);
    instance_->desc = desc_;
    return ControlAnswer::ok();
}

void SuperNodeForm::cancel()
{
    if (!created_) return;
    remove_super_instance(project_, instance_);
    instance_ = nullptr;
    created_ = false;
}

// ------------------------------------------------------------- super elements

std::string next_super_element_name(const NamedList<SuperElement>& elements)
{
    int n = elements.count() == 0 ? 1 : elements.count() + 1;
    while (elements.find_by_name("SE_" + std::to_string(n))) ++n;
    return "SE_" + std::to_string(n);
}

namespace {

struct SketchCells {
    std::map<std::pair<int, int>, const SketchIcon*> at;
    std::uint8_t code(int row, int col) const
    {
        const auto it = at.find({row, col});
        return it == at.end() ? 0 : static_cast<std::uint8_t>(it->second->code);
    }
};

// Arrowheads pointing into a cell, east-west and north-south.
std::pair<int, int> arrows_into(const SketchCells& cells, int row, int col)
{
    const int ew = (cells.code(row, col + 1) == ICN_ARROW_W) + (cells.code(row, col - 1) == ICN_ARROW_E);
    const int ns = (cells.code(row - 1, col) == ICN_ARROW_S) + (cells.code(row + 1, col) == ICN_ARROW_N);
    return {ew, ns};
}

}  // namespace

SuperElementCheck check_super_element(SuperElement& element, bool silent)
{
    SuperElementCheck out;
    SketchCells cells;
    bool sensor = false;
    for (const SketchIcon& icon : element.sketch) {
        cells.at[{icon.row, icon.col}] = &icon;
        if (icon.code >= 181 && icon.code <= 184) sensor = true;
    }
    element.f = static_cast<std::uint16_t>(sensor ? (element.f | kSuperSensorsFollowCell)
                                                  : (element.f & ~kSuperSensorsFollowCell));
    auto fail = [&](std::string_view text) {
        out.message = std::string(text);
        if (!silent) show_message(ERROR, {text});
        return out;
    };

    for (const SketchIcon& icon : element.sketch)
        if (layer_of_code(static_cast<std::uint8_t>(icon.code)) == CellLayer::Link && icon.nr == 0)
            out.highlighted.push_back({icon.row, icon.col});
    if (!out.highlighted.empty()) return fail(kNodesNotDefined);

    for (const SketchIcon& icon : element.sketch) {
        if (icon.code != ICN_CTRL_NODE && icon.code != 188) continue;
        const ControlNode* node = element.nodes.at(icon.nr);
        if (!node) continue;
        const int inputs = control_inputs_of_type(node->type);
        if (inputs > 2) continue;
        const auto [ew, ns] = arrows_into(cells, icon.row, icon.col);
        if (ew + ns != inputs) {
            out.highlighted.push_back({icon.row, icon.col});
            return fail(kWrongInputCount);
        }
    }

    for (const SketchIcon& icon : element.sketch) {
        if (icon.code != 189) continue;
        const ControlNode* node = element.nodes.at(icon.nr);
        if (!node) continue;
        const auto [ew, ns] = arrows_into(cells, icon.row, icon.col);
        const bool two = control_inputs_of_type(node->type) == 2;
        // A one-input node's only input is its first.
        if (two ? ew > 0 : ew + ns > 0) {
            out.highlighted.push_back({icon.row, icon.col});
            return fail(kInput1Connected);
        }
        if (two && ns == 0) {
            out.highlighted.push_back({icon.row, icon.col});
            return fail(kInput2NotConnected);
        }
    }
    // An instance passes on its element's output: without one it has no
    // signal to give.
    if (!element.output) return fail(kNoOutputNode);
    out.defined = true;
    return out;
}

SuperElementsForm::SuperElementsForm(Project& project) : project_(project)
{
    show(project_.super_elements.head());
}

std::vector<std::string> SuperElementsForm::names() const
{
    std::vector<std::string> out;
    for (const SuperElement& e : project_.super_elements) out.push_back(e.name);
    return out;
}

int SuperElementsForm::selected() const
{
    int i = 0;
    for (const SuperElement& e : project_.super_elements) {
        if (&e == current_) return i;
        ++i;
    }
    return -1;
}

void SuperElementsForm::store_description()
{
    if (current_ && current_->desc != desc_) {
        current_->desc = desc_;
        project_.mark_changed();
    }
}

void SuperElementsForm::show(SuperElement* element)
{
    current_ = element;
    desc_ = element ? element->desc : std::string();
    defined_ = false;
    if (element) {
        SuperElement probe = *element;
        defined_ = check_super_element(probe, true).defined;
    }
}

bool SuperElementsForm::select(int index)
{
    int i = 0;
    for (SuperElement& e : project_.super_elements) {
        if (i++ == index) {
            store_description();
            show(&e);
            return true;
        }
    }
    return false;
}

void SuperElementsForm::lists_changed()
{
    for (SuperElement& e : project_.super_elements)
        if (&e == current_) {
            // Its contents may have been replaced by a copy.
            show(&e);
            return;
        }
    show(project_.super_elements.head());
}

SuperElement* SuperElementsForm::new_element()
{
    store_description();
    SuperElement e;
    e.name = next_super_element_name(project_.super_elements);
    SuperElement* stored = project_.super_elements.insert_copy(e);
    project_.mark_changed();
    show(stored);
    return stored;
}

bool SuperElementsForm::rename(std::string_view name)
{
    if (!current_) return false;
    if (check_new_name(project_.super_elements, name, current_->name) != 0) return false;
    if (name == current_->name) return true;
    store_description();
    SuperElement renamed = *current_;
    renamed.name = std::string(name);
    // Instances refer to the element by address: keep it.
    SuperElement* stored = project_.super_elements.replace_record(current_, renamed);
    if (stored != current_) {
        for (ControlNode& node : project_.controls)
            if (auto* d = std::get_if<SuperInstanceData>(&node.data); d && d->element == current_) d->element = stored;
    }
    project_.mark_changed();
    show(stored);
    return true;
}

void SuperElementsForm::set_description(std::string_view text)
{
    desc_ = one_line(text, kSuperDescriptionLimit);
}

std::vector<std::string> SuperElementsForm::node_choices() const
{
    std::vector<std::string> out;
    if (current_)
        for (const ControlNode& node : current_->nodes) out.push_back(std::to_string(node.nr) + " " + node.name);
    return out;
}

int SuperElementsForm::input_choice() const
{
    return current_ && current_->input ? current_->input->nr - 1 : -1;
}

int SuperElementsForm::output_choice() const
{
    return current_ && current_->output ? current_->output->nr - 1 : -1;
}

std::string SuperElementsForm::output_text() const
{
    if (!current_ || !current_->output) return std::string(kOutputRequired);
    return std::to_string(current_->output->nr) + " " + current_->output->name;
}

bool SuperElementsForm::choose_input(int index)
{
    if (!current_ || sketch_locked()) return false;
    ControlNode* node = current_->nodes.at(index + 1);
    if (index >= 0 && !node) return false;
    if (node && node == current_->output) {
        show_message(NOTE, {kInputOutputSame});
        return false;
    }
    current_->input = node;
    mark_io_icons();
    project_.mark_changed();
    return true;
}

bool SuperElementsForm::choose_output(int index)
{
    if (!current_ || sketch_locked()) return false;
    ControlNode* node = current_->nodes.at(index + 1);
    if (index >= 0 && !node) return false;
    if (node && node == current_->input) {
        show_message(NOTE, {kInputOutputSame});
        return false;
    }
    current_->output = node;
    mark_io_icons();
    project_.mark_changed();
    return true;
}

void SuperElementsForm::mark_io_icons()
{
    for (SketchIcon& icon : current_->sketch) {
        if (icon.code != ICN_CTRL_NODE && icon.code != 188 && icon.code != 189) continue;
        const ControlNode* node = current_->nodes.at(icon.nr);
        icon.code = node && node == current_->input ? 189 : node && node == current_->output ? 188 : ICN_CTRL_NODE;
    }
}

std::int32_t SuperElementsForm::reference_count() const
{
    return current_ ? current_->use_count : 0;
}

SuperElementCheck SuperElementsForm::check(bool silent)
{
    if (!current_) return {};
    SuperElementCheck result = check_super_element(*current_, silent);
    defined_ = result.defined;
    // The building check orders the nodes of the elements marked defined.
    current_->f = static_cast<std::uint16_t>(defined_ ? (current_->f | kSuperDefined) : (current_->f & ~kSuperDefined));
    return result;
}

ControlAnswer SuperElementsForm::finish()
{
    if (current_ && current_->name.empty()) {
        show_message(WARNING, {kNameSuperElement});
        return ControlAnswer::refused(WARNING, std::string(kNameSuperElement), ControlField::Name);
    }
    store_description();
    if (current_) check(true);
    project_.mark_changed();
    return ControlAnswer::ok();
}

}  // namespace avelor
