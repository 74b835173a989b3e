// The dialogs that editing on the SketchPad asks for: the area deletion
// options, the corners of a deletion by coordinates, the annotation text
// and the property sheets. Each binds one form of the editing core.
#pragma once

#include <QDialog>
#include <QRect>
#include <functional>

#include "editing/sketch_editor.h"
#include "model/airflow_rules.h"
#include "forms/source_element_form.h"
#include "model/duct_rules.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace avelor::ui {

class AreaDeleteDialog final : public QDialog {
    Q_OBJECT
public:
    AreaDeleteDialog(AreaDeleteForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    void sync_boxes();

    AreaDeleteForm& form_;
    QCheckBox* walls_ = nullptr;
    QCheckBox* zones_ = nullptr;
    QCheckBox* paths_ = nullptr;
    QCheckBox* ahs_ = nullptr;
    QCheckBox* supplies_ = nullptr;
    QCheckBox* returns_ = nullptr;
    QCheckBox* ducts_ = nullptr;
    QCheckBox* sources_ = nullptr;
    QCheckBox* occupants_ = nullptr;
    QCheckBox* controls_ = nullptr;
    QCheckBox* notes_ = nullptr;
    QListWidget* levels_ = nullptr;
};

class CoordinatesDialog final : public QDialog {
    Q_OBJECT
public:
    CoordinatesDialog(CoordinatesForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    CoordinatesForm& form_;
    QSpinBox* a_row_ = nullptr;
    QSpinBox* a_col_ = nullptr;
    QSpinBox* b_row_ = nullptr;
    QSpinBox* b_col_ = nullptr;
};

class AnnotationDialog final : public QDialog {
    Q_OBJECT
public:
    AnnotationDialog(AnnotationForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    AnnotationForm& form_;
    QLineEdit* text_ = nullptr;
};

// The editor's dialogs as real windows over a parent.
class QtEditorDialogs final : public EditorDialogs {
public:
    // cell_rect: where a cell of the current level shows on the screen, so
    // that a sheet opens beside it.
    QtEditorDialogs(QWidget* parent, EditorSession& session, ChooserState& chooser, DuctChooserState& duct_chooser,
                    SourceChooser& source_chooser, std::function<QRect(GridCell)> cell_rect)
        : parent_(parent),
          session_(session),
          chooser_(chooser),
          duct_chooser_(duct_chooser),
          source_chooser_(source_chooser),
          cell_rect_(std::move(cell_rect))
    {
    }
    bool area_delete_options(AreaDeleteForm& form) override;
    bool delete_coordinates(CoordinatesForm& form) override;
    bool annotation(AnnotationForm& form) override;
    bool zone_sheet(ZoneSheet& sheet, const SheetRequest& request) override;
    bool path_sheet(PathSheet& sheet, const SheetRequest& request) override;
    bool junction_sheet(JunctionSheet& sheet, const SheetRequest& request) override;
    bool duct_segment_sheet(DuctSegmentSheet& sheet, const SheetRequest& request) override;
    bool ahs_sheet(AhsSheet& sheet, const SheetRequest& request) override;
    bool ahs_point_sheet(AhsPointSheet& sheet, const SheetRequest& request) override;
    bool source_sheet(SourceSheet& sheet, const SheetRequest& request) override;
    bool exposure_sheet(ExposureSheet& sheet, const SheetRequest& request) override;
    bool control_chooser(ControlTypeChooser& chooser, const SheetRequest& request) override;
    bool control_node_dialog(ControlNodeForm& form, const SheetRequest& request) override;
    bool sensor_dialog(SensorForm& form, const SheetRequest& request) override;
    int terminal_sensor_type(const SheetRequest& request) override;
    bool phantom_dialog(PhantomForm& form, const SheetRequest& request) override;
    bool super_node_dialog(SuperNodeForm& form, const SheetRequest& request) override;

private:
    QWidget* parent_;
    EditorSession& session_;
    ChooserState& chooser_;
    DuctChooserState& duct_chooser_;
    SourceChooser& source_chooser_;
    std::function<QRect(GridCell)> cell_rect_;
};

}  // namespace avelor::ui
