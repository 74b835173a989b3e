// The sheets of the air-handling systems, their supply and return points,
// the sources/sinks and the occupants: tabbed dialogs over the sheet models
// (forms/ahs_sheet.h, forms/source_sheet.h, forms/exposure_sheet.h). Every
// control binds a model setter; what a field accepts, the page checks and
// the boxes they show come from the models. A refused page check keeps that
// page in front with the focus on the field it names; a refused OK leaves
// the dialog open the same way.
#pragma once

#include <QDialog>
#include <QRect>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "forms/ahs_sheet.h"
#include "forms/exposure_sheet.h"
#include "forms/source_sheet.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QVBoxLayout;

namespace avelor::ui {

class SheetValueEdit;
class SchedulePageWidget;

// What the sheets' buttons open; the caller supplies them. A missing hook
// leaves its button disabled.
struct NetworkSheetHooks {
    // "Edit AHS" of a supply or return point: true when the system changed.
    std::function<bool(QWidget*, SimpleAhs&)> edit_system;
    // "New Element" / "Edit Element" of a source/sink.
    std::function<SourceElement*(QWidget*)> new_source_element;
    std::function<bool(QWidget*, SourceElement&)> edit_source_element;
    // "New Day Schedule" / "Edit Day Schedule" of an occupant.
    std::function<OccupancySchedule*(QWidget*)> new_occupancy;
    std::function<bool(QWidget*, OccupancySchedule&)> edit_occupancy;
};

// The parts every one of these dialogs has: the tabs, the value edits, the
// OK and Cancel buttons, and the moving between pages.
class NetworkSheetBase : public QDialog {
    Q_OBJECT
public:
    QTabWidget* tabs() const { return tabs_; }

protected:
    NetworkSheetBase(const QString& title, const QString& number_label, const std::string& number, QWidget* parent);
    // Adds the tabs and the buttons; call once the pages exist.
    void finish(const std::vector<std::pair<QWidget*, QString>>& pages);
    SheetValueEdit* value_edit(const char* name, std::function<bool(double)> set, std::function<double()> shown);
    QComboBox* unit_combo(const char* name, std::function<bool(int)> set);
    void commit_edits();
    // Back to a refused page, the focus on its named field.
    void go_to(const SheetRefusal& refusal);
    void page_changed(int index);

    virtual std::optional<SheetRefusal> select_page(int index) = 0;
    // The model learns which page a refusal brought to the front.
    virtual void page_shown(int index) = 0;
    virtual std::optional<SheetRefusal> accept_sheet() = 0;
    virtual QWidget* focus_widget(const std::string& focus) const = 0;
    virtual void refresh() = 0;

public:
    void accept() override;

protected:
    QTabWidget* tabs_ = nullptr;
    std::vector<SheetValueEdit*> edits_;
    int current_ = 0;
    bool filling_ = false;

private:
    QVBoxLayout* layout_ = nullptr;
};

class AhsSheetDialog final : public NetworkSheetBase {
    Q_OBJECT
public:
    explicit AhsSheetDialog(AhsSheet& sheet, QWidget* parent = nullptr);

private:
    QWidget* ahs_page();
    QWidget* zone_page(AhsSide side);
    QWidget* filters_page();
    std::optional<SheetRefusal> select_page(int index) override;
    void page_shown(int index) override;
    std::optional<SheetRefusal> accept_sheet() override;
    QWidget* focus_widget(const std::string& focus) const override;
    void refresh() override;

    struct ZoneWidgets {
        QComboBox* volume_unit = nullptr;
        QListWidget* species = nullptr;
        SheetValueEdit* concentration = nullptr;
        QComboBox* concentration_unit = nullptr;
        QLabel* sum = nullptr;
        QComboBox* reaction = nullptr;
    };
    struct FilterWidgets {
        QLabel* name = nullptr;
        QLabel* description = nullptr;
        QPushButton* button = nullptr;
        QPushButton* remove = nullptr;
    };

    AhsSheet& sheet_;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QComboBox* flow_unit_ = nullptr;
    QComboBox* intake_unit_ = nullptr;
    ZoneWidgets supply_;
    ZoneWidgets return_;
    FilterWidgets outdoor_;
    FilterWidgets recirculation_;
    SchedulePageWidget* schedule_ = nullptr;
};

class AhsPointSheetDialog final : public NetworkSheetBase {
    Q_OBJECT
public:
    AhsPointSheetDialog(AhsPointSheet& sheet, NetworkSheetHooks hooks, QWidget* parent = nullptr);

private:
    QWidget* system_page();
    QWidget* filter_page();
    std::optional<SheetRefusal> select_page(int index) override;
    void page_shown(int index) override;
    std::optional<SheetRefusal> accept_sheet() override;
    QWidget* focus_widget(const std::string& focus) const override;
    void refresh() override;

    AhsPointSheet& sheet_;
    NetworkSheetHooks hooks_;
    QComboBox* system_ = nullptr;
    std::vector<SimpleAhs*> system_items_;
    QLabel* system_description_ = nullptr;
    QPushButton* edit_system_ = nullptr;
    QComboBox* flow_unit_ = nullptr;
    QComboBox* location_unit_ = nullptr;
    QLabel* filter_name_ = nullptr;
    QLabel* filter_description_ = nullptr;
    QPushButton* filter_button_ = nullptr;
    QPushButton* delete_filter_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
};

class SourceSheetDialog final : public NetworkSheetBase {
    Q_OBJECT
public:
    SourceSheetDialog(SourceSheet& sheet, NetworkSheetHooks hooks, QWidget* parent = nullptr);

private:
    QWidget* element_page();
    QWidget* location_page();
    std::optional<SheetRefusal> select_page(int index) override;
    void page_shown(int index) override;
    std::optional<SheetRefusal> accept_sheet() override;
    QWidget* focus_widget(const std::string& focus) const override;
    void refresh() override;

    SourceSheet& sheet_;
    NetworkSheetHooks hooks_;
    QComboBox* element_ = nullptr;
    std::vector<SourceElement*> element_items_;
    QPushButton* edit_element_ = nullptr;
    QPushButton* new_element_ = nullptr;
    QLabel* description_ = nullptr;
    QLabel* contaminant_ = nullptr;
    QLabel* model_ = nullptr;
    QLabel* formula_ = nullptr;
    QLabel* parameters_ = nullptr;
    SheetValueEdit* concentration_ = nullptr;
    QComboBox* concentration_unit_ = nullptr;
    QComboBox* length_unit_ = nullptr;
    std::vector<std::pair<SourceSheetField, SheetValueEdit*>> box_;
    QLineEdit* cfd_id_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
};

class ExposureSheetDialog final : public NetworkSheetBase {
    Q_OBJECT
public:
    ExposureSheetDialog(ExposureSheet& sheet, NetworkSheetHooks hooks, QWidget* parent = nullptr);

private:
    QWidget* occupancy_page();
    QWidget* generation_page();
    std::optional<SheetRefusal> select_page(int index) override;
    void page_shown(int index) override;
    std::optional<SheetRefusal> accept_sheet() override;
    QWidget* focus_widget(const std::string& focus) const override;
    void refresh() override;
    OccupancySchedule* selected_available() const;

    ExposureSheet& sheet_;
    NetworkSheetHooks hooks_;
    QLineEdit* description_ = nullptr;
    QTreeWidget* days_ = nullptr;
    QListWidget* available_ = nullptr;
    std::vector<OccupancySchedule*> available_items_;
    QPushButton* replace_ = nullptr;
    QPushButton* edit_day_ = nullptr;
    QPushButton* new_day_ = nullptr;
    QCheckBox* generates_ = nullptr;
    QListWidget* species_ = nullptr;
    SheetValueEdit* rate_ = nullptr;
    QComboBox* rate_unit_ = nullptr;
    QLabel* note_ = nullptr;
    SchedulePageWidget* schedule_ = nullptr;
};

// Show the sheets modally beside the cell; true when the model accepted
// them (OK), false on Cancel.
bool run_ahs_sheet(QWidget* parent, AhsSheet& sheet, const QRect& cell);
bool run_ahs_point_sheet(QWidget* parent, AhsPointSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks);
bool run_source_sheet(QWidget* parent, SourceSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks);
bool run_exposure_sheet(QWidget* parent, ExposureSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks);

}  // namespace avelor::ui
