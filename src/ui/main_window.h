// The editor's main window: the menus and toolbar built from the command
// table, the SketchPad, and the status bar with the cursor cell's item and
// position. It works on one editing session and dispatches every command.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>

#include "app/command_rules.h"
#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "editing/super_element_editing.h"
#include "forms/source_element_form.h"
#include "model/airflow_rules.h"
#include "model/duct_rules.h"
#include "simulation/results_export.h"
#include "simulation/results_mode.h"
#include "simulation/wind_display.h"
#include "sketchpad/renderer.h"

class QAction;
class QLabel;
class QMenu;

namespace avelor::ui {

class SketchPadWidget;
class NavigatorWindow;
class FloatingStatusBox;
class ProblemsWindow;
class DuctColouringWindow;
class SimulationRunner;
class SuperElementsWindow;
class ResultsDisplayWindow;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(EditorSession& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    EditorSession& session() const { return session_; }
    SketchPadWidget* sketchpad() const { return sketchpad_; }
    SketchEditor& editor() const { return *editor_; }

    // After the session's project was replaced (opened, made new): the
    // title, the SketchPad, the window's size (fitted to the drawing, within
    // the screen, until the user sizes the window),
    // the status texts and the commands.
    void project_replaced();

    // Runs a command of the command table, as its menu item does; commands
    // that are not available do nothing.
    void run_command(int command);
    QAction* command_action(int command) const;
    QAction* exit_action() const { return command_action(106); }

    // The status bar's two fields: the cursor cell's item and its position.
    QString status_text() const;
    QString position_text() const;
    // How the last simulation ended, beside them until another project comes.
    QString run_status_text() const;
    // The active drawing tool's name; empty while none is on.
    QString tool_text() const;

    // The enabled state and check marks of every command, by the rules of
    // the core on the state the window shows.
    void update_commands();
    CommandState command_state() const;

    // The SketchPad's context menu for the cursor cell, built but not shown.
    std::unique_ptr<QMenu> make_context_menu();

    // Results mode: the results of the current step over the drawing.
    const ResultsMode& results_mode() const { return results_; }

    // The problems window, while it exists.
    ProblemsWindow* problems_window() const;
    // Shows the problems window for the session's problem list, or brings
    // an open one up to date; an empty list opens nothing.
    void show_problems();

    // The results display window, while it exists.
    ResultsDisplayWindow* results_window() const;

    // "Du&ct Coloring...": the duct system colouring window, while it exists.
    DuctColouringWindow* duct_colouring_window() const;

    // Run Simulation and Run Building Check, and the engine while it runs.
    SimulationRunner* simulation_runner() const { return runner_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first time: the window is kept inside the screen's work area.
    void showEvent(QShowEvent* event) override;
    // A size the user gives the window is kept from then on.
    void resizeEvent(QResizeEvent* event) override;
    // A modal dialog or question box blocks the window: the floating status
    // box hides until it has gone.
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    // File > Recent Projects, rebuilt from the session's list each time it
    // opens.
    void rebuild_recent_menu();
    void build_toolbar();
    void build_status_bar();
    void update_title();
    void update_status();
    void fit_to_sketchpad();
    void keep_in_work_area();
    void resize_itself(QSize size);
    void view_changed();
    void level_changed();
    void toggle_flag(bool ViewFlags::*flag);
    void show_navigator(bool on);
    void place_navigator();
    void update_floating_status();
    void edited(bool navigator, bool tool_changed);
    void edit_command(EditAction action, IconCommand icon = IconCommand::Zone, DrawingTool tool = DrawingTool::None);
    void enable_edit_keys();
    void before_level_change();
    // After a definition dialog: element icons may show on the drawing.
    void data_changed();
    // "Project Description...": the one-line description of the project.
    void edit_description();
    // After a building check: icons may be renumbered, the must-save state
    // moved, the current level shown again.
    void building_checked();
    void problem_shown();
    void show_duct_colouring();
    // The mode commands: Normal, Results and Wind Pressure Mode.
    void change_display_mode(int command);
    // The Results Mode command after a run.
    void enter_wind_mode();
    void leave_wind_mode();
    void choose_wind_type(WindPressureType type);
    void refresh_wind();
    void enter_results_mode();
    void leave_results_mode();
    void move_in_results(ResultsMove how);
    void go_to_date_time();
    // The display list of the current level and its lines, after a move or
    // a level change.
    void refresh_results();
    // "About Avelor...": versions and file times of the editor and the engine.
    void show_about();
    // Export Results...: the "Export Data" dialog.
    void export_results();
    // The results display window: opened and closed by its command, shown
    // again for the cursor's item whenever the status text changes.
    void toggle_results_window();
    void update_results_window();

    EditorSession& session_;
    // The airflow element chooser's last choice, for this window's life.
    ChooserState chooser_;
    DuctChooserState duct_chooser_;
    SourceChooser source_chooser_;
    bool menu_open_ = false;  // a menu of the menu bar is showing
    bool blocked_by_modal_ = false;
    bool shown_once_ = false;
    bool resizing_itself_ = false;
    bool user_sized_ = false;  // the user gave the window its size
    std::unique_ptr<EditorDialogs> dialogs_;
    std::unique_ptr<SketchEditor> editor_;
    SketchPadWidget* sketchpad_ = nullptr;
    QLabel* status_label_ = nullptr;
    QLabel* run_status_label_ = nullptr;
    QLabel* tool_label_ = nullptr;
    QLabel* position_label_ = nullptr;
    std::map<int, QAction*> actions_;
    QMenu* recent_menu_ = nullptr;
    std::vector<QAction*> recent_actions_;
    QPointer<NavigatorWindow> navigator_;
    QPointer<FloatingStatusBox> floating_;
    QPointer<ProblemsWindow> problems_;
    QPointer<DuctColouringWindow> duct_colouring_;
    ResultsMode results_;
    ResultsOverlay results_overlay_;
    WindDisplay wind_;
    ExportDataForm export_form_;
    QPointer<ResultsDisplayWindow> results_window_;
    SimulationRunner* runner_ = nullptr;
    // While a super element's own sketch is on the SketchPad.
    std::unique_ptr<SuperElementsEditing> super_editing_;
    QPointer<SuperElementsWindow> super_window_;
    void start_super_element_editing();
    void end_super_element_editing();
    // The reduced menu of super-element editing, or the full one again.
    void reduce_menus(bool reduced);
};

}  // namespace avelor::ui
