// "Simulation Parameters": the six pages of run-control settings over the
// core's form. Every rule, check and message is the form's; the sheet
// shows what the form allows and passes on what is typed and clicked.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <vector>

#include "forms/simulation_parameters_form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace avelor {
struct EditorSession;
class ResultsMode;
}  // namespace avelor

namespace avelor::ui {

class SimulationParametersDialog final : public QDialog {
    Q_OBJECT
public:
    // results: the results mode of the window, whose step shown gives the
    // "Current Results Concentrations" (may be null).
    SimulationParametersDialog(EditorSession& session, ResultsMode* results, QWidget* parent = nullptr);

    SimulationParametersForm& form() { return form_; }
    QTabWidget* pages() const { return pages_; }
    QPushButton* run_button() const { return run_; }
    SimPage current_page() const;

public slots:
    // OK: the page's check, then the working copy reaches the project.
    void accept() override;
    void reject() override;

private:
    QWidget* build_run_control_page();
    QWidget* build_weather_page();
    QWidget* build_output_page();
    QWidget* build_airflow_page();
    QWidget* build_contaminant_page();
    QWidget* build_cfd_page();

    QCheckBox* flag_box(SimFlag flag, const char* caption, const char* name);
    QLineEdit* number_edit(SimNumber number, const char* name);
    QWidget* number_with_unit(SimNumber number, const char* name);
    QWidget* time_editor(SimTime time, const char* name);
    QWidget* date_editor(SimDate date, const char* name);
    QComboBox* choice(const QStringList& items, int selected, const char* name, std::function<void(int)> set);

    bool leave_pending_edit();
    void page_changed(int index);
    void run_clicked();
    void choose_data_file(bool weather);
    // Shows every value and availability anew after a change.
    void refresh();

    EditorSession* session_;
    SimulationParametersForm form_;
    QTabWidget* pages_ = nullptr;
    QPushButton* run_ = nullptr;
    int shown_page_ = 0;
    bool turning_back_ = false;
    bool checking_ = false;
    QPointer<QLineEdit> pending_;
    // What refresh() brings up to date.
    std::vector<std::function<void()>> refreshers_;
};

// The Set Simulation Parameters command: the sheet, and true when it was
// closed by its Run button and the simulation is to run.
bool edit_simulation_parameters(EditorSession& session, ResultsMode* results, QWidget* parent);

}  // namespace avelor::ui
