// Run Simulation and Run Building Check in the editor: the command's steps
// come from the core; this binds them to the window. While the engine runs
// a 50 ms timer watches it from the event loop, and the menus, the toolbar,
// the SketchPad and every tool window refuse input.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <vector>

#include "simulation/run_command.h"

class QMainWindow;
class QWidget;
class QAction;

namespace avelor::ui {

class SimulationRunner final : public QObject {
    Q_OBJECT
public:
    // hooks: what the window does at the command's turns; the runner adds
    // the disabling and enabling of the window itself.
    SimulationRunner(QMainWindow* window, EditorSession& session, RunHooks hooks);

    // The engine beside the editor's own executable unless set otherwise
    // (tests start a stand-in).
    void set_engine_path(const QString& path);
    QString engine_path() const;

    // The command; returns at once while the engine runs.
    RunOutcome run(RunKind kind);
    bool running() const { return run_.running(); }
    const SimulationRun& core() const { return run_; }

    static constexpr int kPollMilliseconds = 50;

signals:
    // The engine has ended and the after-run step is done.
    void engineFinished();

private:
    RunHooks bind_hooks(RunHooks hooks);
    void poll();
    void set_interface_enabled(bool enabled);

    QMainWindow* window_;
    SimulationRun run_;
    QTimer timer_;
    // What was disabled for the run, to be enabled again after it.
    std::vector<QPointer<QWidget>> disabled_widgets_;
    std::vector<QPointer<QAction>> disabled_actions_;
};

}  // namespace avelor::ui
