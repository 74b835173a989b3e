// "Level Data": the levels, top first, and the name, elevation and height of
// the selected one, over the core's level data form.
#pragma once

#include <QDialog>

#include "forms/level_data_form.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace avelor {
struct EditorSession;
}

namespace avelor::ui {

class LevelDataDialog final : public QDialog {
    Q_OBJECT
public:
    // The current level is stored first, so that its icons are up to date.
    explicit LevelDataDialog(EditorSession& session, QWidget* parent = nullptr);

    QListWidget* level_list() const { return list_; }
    QLineEdit* name_edit() const { return name_; }
    QLineEdit* elevation_edit() const { return elevation_; }
    QLineEdit* height_edit() const { return height_; }
    QComboBox* unit_box() const { return unit_; }
    QPushButton* replace_button() const { return replace_; }
    QPushButton* go_to_button() const { return go_to_; }

    // True once "<< Replace <<" changed a level.
    bool changed() const { return changed_; }
    // True when "Go To Level" closed the dialog.
    bool went_to_level() const { return went_; }

private:
    void show_rows();
    void show_fields();
    bool commit_values();

    EditorSession& session_;
    LevelDataForm form_;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* elevation_ = nullptr;
    QLineEdit* height_ = nullptr;
    QComboBox* unit_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* go_to_ = nullptr;
    bool changed_ = false;
    bool went_ = false;
    bool filling_ = false;
};

}  // namespace avelor::ui
