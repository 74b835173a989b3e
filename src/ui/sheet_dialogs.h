// The "Zone Properties" and "Airflow Path Properties" sheets: tabbed dialogs
// over the sheet models of the SketchPad (forms/zone_sheet.h,
// forms/path_sheet.h). Every control only binds a model setter; what a
// field accepts, the checks made when a page is left and the boxes shown
// come from the models. A refused page check keeps that page in front with
// the focus on the named field; OK asks the model to accept, and a refusal
// leaves the dialog open the same way.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>

#include <functional>
#include <utility>
#include <vector>

#include "forms/path_sheet.h"
#include "forms/zone_sheet.h"
#include "model/airflow_rules.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace avelor::ui {

class SheetValueEdit;
class SchedulePageWidget;

class ZoneSheetDialog : public QDialog {
    Q_OBJECT
public:
    explicit ZoneSheetDialog(ZoneSheet& sheet, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    // OK: the model accepts, or the dialog stays on the refused page.
    void accept() override;

private:
    QWidget* zone_data_page();
    QWidget* contaminant_page();
    QWidget* detailed_page();
    void page_changed(int index);
    void go_to(ZonePage page, ZoneField focus);
    void commit_edits();
    void refresh();
    SheetValueEdit* value_edit(ZoneField field, const char* name);
    QComboBox* unit_combo(ZoneField field, UnitKind kind, const char* name);
    void fill_units(QComboBox* combo, UnitKind kind, int unit);

    ZoneSheet& sheet_;
    QTabWidget* tabs_ = nullptr;
    QLabel* frame_name_ = nullptr;
    QLabel* level_ = nullptr;
    QLineEdit* name_ = nullptr;
    std::vector<SheetValueEdit*> edits_;
    std::vector<std::pair<QComboBox*, ZoneField>> units_;
    std::vector<std::pair<ZoneField, QWidget*>> field_widgets_;
    QButtonGroup* pressure_ = nullptr;
    QCheckBox* building_ = nullptr;
    QComboBox* colour_ = nullptr;
    QButtonGroup* contaminants_ = nullptr;
    QListWidget* species_ = nullptr;
    QLabel* sum_ = nullptr;
    QComboBox* reaction_ = nullptr;
    QButtonGroup* zone_type_ = nullptr;
    QButtonGroup* axis_ = nullptr;
    QLineEdit* cfd_id_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
    int current_ = 0;
    bool filling_ = false;
};

// What "New Element" and "Edit Element" open; the caller supplies them.
// new_element returns the element made (already in the project), or null
// when the user cancelled; edit_element returns true when it was changed.
struct PathSheetHooks {
    std::function<AirflowElement*(QWidget*, const ChooserContext&)> new_element;
    std::function<bool(QWidget*, AirflowElement&)> edit_element;
    std::function<WindProfile*(QWidget*)> new_profile;
    std::function<bool(QWidget*, WindProfile&)> edit_profile;
};

class PathSheetDialog : public QDialog {
    Q_OBJECT
public:
    PathSheetDialog(PathSheet& sheet, SubPathChains& chains, PathSheetHooks hooks, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    void accept() override;

private:
    QWidget* element_page();
    QWidget* path_page();
    QWidget* wind_page();
    QWidget* filter_page();
    QWidget* cfd_page();
    void page_changed(int index);
    void go_to(const PathSheetVerdict& verdict);
    void commit_edits();
    void refresh();
    void new_element();
    void edit_element();
    void new_profile();
    void edit_profile();
    SheetValueEdit* value_edit(const char* name, std::function<bool(double)> set, std::function<std::string()> shown);
    QComboBox* unit_combo(const char* name, std::function<void(int)> set);

    PathSheet& sheet_;
    SubPathChains& chains_;
    PathSheetHooks hooks_;
    QTabWidget* tabs_ = nullptr;
    std::vector<SheetValueEdit*> edits_;
    // Element page.
    QComboBox* element_ = nullptr;
    std::vector<AirflowElement*> element_items_;
    QLabel* description_ = nullptr;
    QLabel* summary_type_ = nullptr;
    QLabel* summary_parameters_ = nullptr;
    QLabel* summary_formula_ = nullptr;
    QPushButton* edit_element_ = nullptr;
    QPushButton* new_element_ = nullptr;
    // Flow path page.
    QComboBox* length_unit_ = nullptr;
    QComboBox* location_unit_ = nullptr;
    QLabel* multiplier_label_ = nullptr;
    QComboBox* multiplier_unit_ = nullptr;
    QButtonGroup* direction_ = nullptr;
    QButtonGroup* limits_ = nullptr;
    SheetValueEdit* maximum_ = nullptr;
    SheetValueEdit* minimum_ = nullptr;
    QComboBox* limit_unit_ = nullptr;
    // Wind page.
    QButtonGroup* wind_ = nullptr;
    QWidget* wind_options_ = nullptr;
    QWidget* constant_box_ = nullptr;
    QWidget* variable_box_ = nullptr;
    SheetValueEdit* wind_pressure_ = nullptr;
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
    // CFD page.
    QLineEdit* cfd_id_ = nullptr;
    QButtonGroup* boundary_ = nullptr;
    QButtonGroup* pressure_type_ = nullptr;
    QWidget* boundary_box_ = nullptr;
    QWidget* pressure_type_box_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
    int current_ = 0;
    bool filling_ = false;
};

// Puts a dialog beside a cell of the SketchPad (global coordinates), on the
// monitor that holds the cell.
void place_beside(QWidget& dialog, const QRect& cell);

// Show the sheets modally beside the cell; true when the model accepted
// them (OK), false on Cancel.
bool run_zone_sheet(QWidget* parent, ZoneSheet& sheet, const QRect& cell);
bool run_path_sheet(QWidget* parent, PathSheet& sheet, SubPathChains& chains, const QRect& cell,
                    const PathSheetHooks& hooks);

}  // namespace avelor::ui
