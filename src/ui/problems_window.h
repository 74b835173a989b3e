// The "Building Check Problems" window: a modeless list of the located
// problems of the last check. Choosing a row shows its cell on the
// SketchPad; the window can stay open while the user edits and be brought
// up to date with "Rerun Building Check". Everything it shows comes from
// the core's problem list and window model.
#pragma once

#include <QDialog>

#include "check/building_check.h"
#include "editing/editor_session.h"

class QPushButton;
class QTreeWidget;

namespace avelor::ui {

class ProblemsWindow final : public QDialog {
    Q_OBJECT
public:
    ProblemsWindow(EditorSession& session, ProblemList& problems, QWidget* parent = nullptr);

    // Reloads the rows from the list and sets "Run Simulation".
    void refresh();

    QTreeWidget* list() const { return list_; }
    QPushButton* close_button() const { return close_; }
    QPushButton* rerun_button() const { return rerun_; }
    QPushButton* run_simulation_button() const { return run_; }

    // What a click on row i does: shows its cell. True when shown.
    bool show_row(int row);

signals:
    // A row's cell was made current: the SketchPad must follow.
    void rowShown();
    // "Rerun Building Check" ran: the drawing and the title may differ.
    void buildingChecked();
    // "Run Simulation" was chosen; the window has closed.
    void runSimulationWanted();
    // The window closed and the highlight went.
    void highlightCleared();

public slots:
    void done(int result) override;

private:
    void rerun();

    EditorSession& session_;
    ProblemList& problems_;
    QTreeWidget* list_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* rerun_ = nullptr;
    QPushButton* run_ = nullptr;
};

}  // namespace avelor::ui
