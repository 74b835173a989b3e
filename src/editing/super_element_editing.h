// Building a control super element on the SketchPad itself: the building's
// grid is put aside for a sketch grid of the smallest size that shows one
// element's own network, which the link tool and Delete edit as usual; the
// window that lists the elements chooses which one is shown.
#pragma once

#include <vector>

#include "editing/sketch_editor.h"

namespace avelor {

// A super element's sketch is on the SketchPad.
inline bool super_element_editing(const SketchEditor& editor) { return editor.building_sketch.has_value(); }

// Entering: the current level is stored, any tool ends, the building's grid
// is put aside with the view's cell size and scroll position, and a sketch
// grid takes its place with the cursor at (1, 1) and "Super Node
// SketchPad" in the top border row; the control links are shown and the
// cell size is at least 8. element is shown (null: an empty sketch).
// False, with nothing changed, when editing already or the sketch grid
// cannot be had.
bool enter_super_element_editing(SketchEditor& editor, SuperElement* element);

// The drawing of the element shown goes into its sketch (before the
// element list changes, is checked or saved).
void store_shown_super_element(SketchEditor& editor);

// Shows another element's sketch (null: an empty one) without storing the
// one shown: store it first. Its nodes' inputs are collected again from
// its links.
void show_super_element(SketchEditor& editor, SuperElement* element);

// Cells of the sketch shown in the highlight colour (what the element
// check found), every other cell plain.
void highlight_super_sketch(SketchEditor& editor, const std::vector<GridCell>& cells);

// Leaving: the element shown is stored, the building's grid comes back
// with its cell size and scroll position, the building's network is edited
// again and its links are shown (and refreshed on the current level).
void leave_super_element_editing(SketchEditor& editor);

// The "Control Super Elements" window over the SketchPad. Made, it enters
// super-element editing on the window's first element; every change the
// window makes to its form first stores the sketch shown and afterwards
// shows the form's element; finishing leaves the editing.
class SuperElementsEditing {
public:
    explicit SuperElementsEditing(SketchEditor& editor);
    SuperElementsEditing(const SuperElementsEditing&) = delete;
    SuperElementsEditing& operator=(const SuperElementsEditing&) = delete;
    // Leaves the editing if nothing finished it (the program is closing).
    ~SuperElementsEditing();

    // The sketch grid was had and the SketchPad shows it.
    bool active() const { return super_element_editing(editor_); }
    const SuperElementsForm& form() const { return form_; }
    // For what does not touch the sketch (the description).
    SuperElementsForm& form() { return form_; }

    // Runs change on the form between storing the sketch shown and showing
    // the form's element again.
    template <class Change>
    auto change(Change&& change)
    {
        store_shown_super_element(editor_);
        struct Show {
            SuperElementsEditing& self;
            ~Show() { show_super_element(self.editor_, self.form_.current()); }
        } show{*this};
        return change(form_);
    }

    // "Check Element": the failure shown, its cells highlighted.
    SuperElementCheck check();
    // OK or Cancel: refused without a name (the message shown); otherwise
    // the element is stored and checked and the editing ends.
    ControlAnswer finish();
    // Links and Delete cannot change the sketch shown.
    bool sketch_locked() const;

private:
    SketchEditor& editor_;
    SuperElementsForm form_;
};

}  // namespace avelor
