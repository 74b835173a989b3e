// "Project Configuration Properties": the project's units and the
// SketchPad's size, scale and origin, over the core's form.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/project_config_form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;

namespace avelor {
struct EditorSession;
}

namespace avelor::ui {

class ProjectConfigDialog final : public QDialog {
    Q_OBJECT
public:
    // Opening stores the current level (the form measures every level).
    explicit ProjectConfigDialog(EditorSession& session, QWidget* parent = nullptr);

    QTabWidget* pages() const { return pages_; }
    // The field widgets, for the window that opens the sheet and for tests.
    QWidget* field_widget(ConfigField field) const;

public slots:
    // OK: the field being edited is checked, then the form applies
    // everything; the sheet closes only when it did. The view then fits
    // the grid, which may have a new size: the opener repaints the
    // SketchPad and the navigator and updates its scroll bars.
    void accept() override;

private:
    using Leave = std::function<bool(std::string_view)>;
    using Shown = std::function<std::string()>;

    QWidget* build_units_page();
    QWidget* build_dimensions_page();
    QLineEdit* bound_edit(const char* name, Leave leave, Shown shown);
    // Checks an edit that was typed in and has not been checked yet.
    bool leave_edit(QLineEdit* edit);
    bool leave_pending_edit();
    void turn_to(QWidget* page);
    void focus_edit(QLineEdit* edit);
    void refresh_extents();
    void show_field(ConfigField field);
    void page_changed(int index);

    struct BoundEdit {
        QLineEdit* edit;
        Leave leave;
        Shown shown;
    };

    EditorSession* session_;
    ProjectConfigForm form_;
    std::vector<BoundEdit> edits_;
    QTabWidget* pages_ = nullptr;
    QWidget* units_page_ = nullptr;
    QWidget* dimensions_page_ = nullptr;
    QComboBox* unit_system_ = nullptr;
    QComboBox* flow_unit_ = nullptr;
    QLineEdit* temperature_ = nullptr;
    QComboBox* temperature_unit_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QLabel* width_extent_ = nullptr;
    QLabel* height_extent_ = nullptr;
    QLineEdit* scale_ = nullptr;
    QComboBox* length_unit_ = nullptr;
    QLineEdit* origin_column_ = nullptr;
    QLineEdit* origin_row_ = nullptr;
    QCheckBox* show_geometry_ = nullptr;
    QCheckBox* invert_y_ = nullptr;

    QLineEdit* pending_ = nullptr;   // typed in, not yet checked
    QPointer<QLineEdit> refused_;    // just refused as the focus left it
    bool checking_ = false;         // a check is showing its box
    bool turning_back_ = false;     // the page change being undone
    int shown_page_ = 0;
};

}  // namespace avelor::ui
