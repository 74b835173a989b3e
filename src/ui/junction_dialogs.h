// The "Duct Segment Properties" and "Duct Junction Properties" sheets:
// tabbed dialogs over the sheet models of forms/duct_segment_sheet.h and
// forms/junction_sheet.h. Every control only binds a model setter; what a
// field accepts, the page checks and the boxes shown come from the models.
// A refused page check keeps that page in front with the focus on the named
// field; OK asks the model to accept, and a refusal leaves the dialog open
// the same way.
#pragma once

#include <QDialog>
#include <QRect>

#include <functional>
#include <string>
#include <vector>

#include "forms/duct_segment_sheet.h"
#include "forms/junction_sheet.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace avelor::ui {

class SheetValueEdit;
class SchedulePageWidget;

// What "New Element", "Edit Element", "New Profile" and "Edit Profile"
// open; the caller supplies them. A maker returns what it made (already in
// the project) or null when cancelled; an editor true when it changed it.
struct DuctSheetHooks {
    std::function<DuctElement*(QWidget*)> new_element;
    std::function<bool(QWidget*, DuctElement&)> edit_element;
    std::function<WindProfile*(QWidget*)> new_profile;
    std::function<bool(QWidget*, WindProfile&)> edit_profile;
};

class DuctSegmentSheetDialog : public QDialog {
    Q_OBJECT
public:
    DuctSegmentSheetDialog(DuctSegmentSheet& sheet, DuctSheetHooks hooks, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    void accept() override;

private:
    QWidget* element_page();
    QWidget* segment_page();
    QWidget* filter_page();
    void page_changed(int index);
    void go_to(const SegmentSheetVerdict& verdict);
    void commit_edits();
    void refresh();
    SheetValueEdit* value_edit(const char* name, std::function<bool(double)> set, std::function<std::string()> shown);

    DuctSegmentSheet& sheet_;
    DuctSheetHooks hooks_;
    QTabWidget* tabs_ = nullptr;
    std::vector<SheetValueEdit*> edits_;
    QComboBox* element_ = nullptr;
    std::vector<DuctElement*> element_items_;
    QLabel* description_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* edit_element_ = nullptr;
    QPushButton* new_element_ = nullptr;
    QButtonGroup* direction_ = nullptr;
    QComboBox* length_unit_ = nullptr;
    SheetValueEdit* length_ = nullptr;
    SheetValueEdit* losses_ = nullptr;
    QLabel* derived_ = nullptr;
    QComboBox* area_unit_ = nullptr;
    QComboBox* colour_ = nullptr;
    QLabel* filter_name_ = nullptr;
    QLabel* filter_description_ = nullptr;
    QPushButton* filter_button_ = nullptr;
    QPushButton* delete_filter_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
    int current_ = 0;
    bool filling_ = false;
};

class JunctionSheetDialog : public QDialog {
    Q_OBJECT
public:
    JunctionSheetDialog(JunctionSheet& sheet, DuctSheetHooks hooks, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    void accept() override;

private:
    QWidget* junction_page();
    QWidget* terminal_page();
    QWidget* wind_page();
    QWidget* filter_page();
    QWidget* page_widget(JunctionPage page) const;
    // Shows the tabs of the pages the kind has now, keeping the current one
    // in front when it is still there.
    void sync_tabs();
    void page_changed(int index);
    void go_to(const JunctionSheetVerdict& verdict);
    void commit_edits();
    void refresh();
    void kind_chosen(int kind);
    void define_downward();
    SheetValueEdit* value_edit(const char* name, std::function<bool(double)> set, std::function<std::string()> shown);
    QComboBox* unit_combo(const char* name, std::function<void(int)> set);

    JunctionSheet& sheet_;
    DuctSheetHooks hooks_;
    QTabWidget* tabs_ = nullptr;
    std::vector<JunctionPage> shown_;
    std::vector<SheetValueEdit*> edits_;
    QWidget* junction_ = nullptr;
    QWidget* terminal_ = nullptr;
    QWidget* wind_page_ = nullptr;
    QWidget* filter_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
    // Junction page.
    QButtonGroup* kinds_ = nullptr;
    QPushButton* downward_ = nullptr;
    QLabel* downward_state_ = nullptr;
    QComboBox* length_unit_ = nullptr;
    QComboBox* location_unit_ = nullptr;
    SheetValueEdit* temperature_ = nullptr;
    QComboBox* temperature_unit_ = nullptr;
    QComboBox* colour_ = nullptr;
    // Terminal Data page.
    QComboBox* area_unit_ = nullptr;
    QComboBox* flow_unit_ = nullptr;
    QLineEdit* duct_area_ = nullptr;
    QCheckBox* balance_terminal_ = nullptr;
    // Wind page.
    QButtonGroup* wind_ = nullptr;
    QWidget* wind_options_ = nullptr;
    QWidget* constant_box_ = nullptr;
    QWidget* variable_box_ = nullptr;
    QComboBox* pressure_unit_ = nullptr;
    QComboBox* profile_ = nullptr;
    std::vector<WindProfile*> profile_items_;
    QLabel* profile_description_ = nullptr;
    QPushButton* edit_profile_ = nullptr;
    QPushButton* new_profile_ = nullptr;
    // Filter page.
    QLabel* filter_name_ = nullptr;
    QLabel* filter_description_ = nullptr;
    QPushButton* filter_button_ = nullptr;
    QPushButton* delete_filter_ = nullptr;
    int current_ = 0;
    bool filling_ = false;
};

// Show the sheets modally beside the cell; true when the model accepted
// them (OK), false on Cancel.
bool run_duct_segment_sheet(QWidget* parent, DuctSegmentSheet& sheet, const QRect& cell, const DuctSheetHooks& hooks);
bool run_junction_sheet(QWidget* parent, JunctionSheet& sheet, const QRect& cell, const DuctSheetHooks& hooks);

}  // namespace avelor::ui
