// The pieces the property sheets share: a value edit bound to a sheet
// model, the "Schedule" page over a SchedulePage, the colour choice of the
// "Color Picker", and a few small builders.
#pragma once

#include "editing/library_copy.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/zone_sheet.h"
#include "model/units.h"
#include "ui/text_1252.h"

class QButtonGroup;
class QLabel;
class QLayout;
class QPushButton;
class QRadioButton;

namespace avelor {
class Project;
}

namespace avelor::ui {

// A sheet's element name box: the placeholder text first while no element
// is chosen, then the choices in order, the current element selected.
// items receives the element of each entry (null for the placeholder).
template <class T>
void fill_element_box(QComboBox& box, std::vector<T*>& items, const std::vector<T*>& choices, const T* current,
                      std::string_view placeholder)
{
    box.clear();
    items.clear();
    if (!current) {
        box.addItem(from_1252(placeholder));
        items.push_back(nullptr);
    }
    for (T* e : choices) {
        box.addItem(from_1252(e->name));
        items.push_back(e);
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == current) box.setCurrentIndex(static_cast<int>(i));
}

// A plain edit over one value of a sheet model: what it shows comes from
// the model, and what is typed goes to the model's setter when the edit is
// left or Return is pressed (or a page change or OK commits it first).
class SheetValueEdit : public QLineEdit {
public:
    using Enter = std::function<bool(std::string_view)>;
    using Shown = std::function<std::string()>;

    SheetValueEdit(Enter enter, Shown shown, QWidget* parent) : QLineEdit(parent), enter_(std::move(enter)), shown_(std::move(shown))
    {
        connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
        show_value();
    }

    // Hands a changed text to the model; shows the model's text after.
    bool commit()
    {
        if (committing_ || !isModified()) return true;
        committing_ = true;
        setModified(false);
        const bool ok = enter_(to_1252(text()));
        show_value();
        committing_ = false;
        if (after_) after_();
        return ok;
    }
    // Shows the model's text, unless something typed waits for its commit.
    void show_value()
    {
        if (isModified()) return;
        setText(from_1252(shown_()));
    }
    void on_committed(std::function<void()> after) { after_ = std::move(after); }

private:
    Enter enter_;
    Shown shown_;
    std::function<void()> after_;
    bool committing_ = false;
};

// The "Schedule" page shared by the sheets, over a SchedulePage.
class SchedulePageWidget : public QWidget {
public:
    SchedulePageWidget(SchedulePage& page, Project& project, QWidget* parent);

    QWidget* column() const;
    void refresh();

private:
    SchedulePage& page_;
    Project& project_;
    QComboBox* name_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* edit_ = nullptr;
    QButtonGroup* kind_ = nullptr;
    QComboBox* column_ = nullptr;
    QLabel* status_ = nullptr;
    bool filling_ = false;
};

// A radio button of a group, added to a layout.
QRadioButton* sheet_radio(const char* text, QButtonGroup* group, int id, QLayout* layout);
// A button for something the program cannot do yet, disabled, its tip
// saying so.
QPushButton* unavailable_button(const char* text, const char* tip);
// "Library...": the library manager for the definitions a page chooses
// from (opened over a working copy, so it deletes nothing of the project);
// after it, `after` shows the project's definitions again.
QPushButton* library_manager_button(QWidget* dialog, Project& project, DefinitionKind kind, std::function<void()> after);
// Checks the group's button of that id, if there is one.
void check_button(QButtonGroup* group, int id);
// The unit names of a kind, with unit chosen (the first for an unknown
// index), without signalling the choice.
void fill_unit_names(QComboBox* combo, UnitKind kind, int unit);

// The colour of the "Color Picker": "Use Default" (index -1) first, then
// every colour of the SketchPad palette with its swatch. Entry k + 1 is
// colour index k.
QComboBox* colour_choice(const char* name);
void show_colour(QComboBox* combo, int index);
inline int chosen_colour(int entry) { return entry - 1; }

}  // namespace avelor::ui
