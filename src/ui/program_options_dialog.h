// The "Program Configuration Properties" sheet (Tools > Program Options).
#pragma once

#include <QDialog>

#include <vector>

#include "forms/program_options_form.h"

class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QTabWidget;

namespace avelor {
struct EditorSession;
}

namespace avelor::ui {

// Runs the sheet on the session's settings; on Save the temperatures may be
// reset, the settings take effect and the configuration file is written.
// True when saved.
bool run_program_options(QWidget* parent, EditorSession& session);

class ProgramOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    ProgramOptionsDialog(ProgramOptionsForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    QWidget* units_page();
    QWidget* display_page();
    QWidget* size_page();
    QWidget* colours_page();
    QWidget* results_page();
    void show_colours();

    ProgramOptionsForm& form_;
    QTabWidget* pages_ = nullptr;
    QWidget* colour_grid_ = nullptr;
    std::vector<QPushButton*> swatches_;
    QComboBox* palette_ = nullptr;
    QDoubleSpinBox* temperature_ = nullptr;
};

}  // namespace avelor::ui
