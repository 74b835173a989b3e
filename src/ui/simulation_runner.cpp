#include "ui/simulation_runner.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace avelor::ui {

SimulationRunner::SimulationRunner(QMainWindow* window, EditorSession& session, RunHooks hooks)
    : QObject(window), window_(window), run_(session, bind_hooks(std::move(hooks)))
{
    run_.set_engine_path(engine_path_in(QCoreApplication::applicationDirPath().toStdString()));
    timer_.setInterval(kPollMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &SimulationRunner::poll);
}

RunHooks SimulationRunner::bind_hooks(RunHooks hooks)
{
    hooks.set_interface_enabled = [this](bool enabled) { set_interface_enabled(enabled); };
    if (!hooks.busy) {
        hooks.busy = [](bool on) {
            if (on)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        };
    }
    return hooks;
}

void SimulationRunner::set_engine_path(const QString& path) { run_.set_engine_path(path.toStdString()); }

QString SimulationRunner::engine_path() const { return QString::fromStdString(run_.engine_path()); }

RunOutcome SimulationRunner::run(RunKind kind)
{
    const RunOutcome outcome = run_.run(kind);
    if (outcome == RunOutcome::Running) timer_.start();
    return outcome;
}

void SimulationRunner::poll()
{
    if (!run_.poll()) return;
    emit engineFinished();
}

void SimulationRunner::set_interface_enabled(bool enabled)
{
    if (enabled) {
        // The engine has ended: no more polls, even while a box of the
        // after-run step is open.
        timer_.stop();
        for (const QPointer<QAction>& action : disabled_actions_)
            if (action) action->setEnabled(true);
        for (const QPointer<QWidget>& widget : disabled_widgets_)
            if (widget) widget->setEnabled(true);
        disabled_actions_.clear();
        disabled_widgets_.clear();
        return;
    }
    // Every top-level menu item, the toolbars, the SketchPad and the tool
    // windows that are open.
    for (QAction* action : window_->menuBar()->actions()) {
        if (!action->isEnabled()) continue;
        action->setEnabled(false);
        disabled_actions_.emplace_back(action);
    }
    auto disable = [this](QWidget* widget) {
        if (!widget || !widget->isEnabled()) return;
        widget->setEnabled(false);
        disabled_widgets_.emplace_back(widget);
    };
    for (QToolBar* bar : window_->findChildren<QToolBar*>()) disable(bar);
    disable(window_->centralWidget());
    for (QWidget* child : window_->findChildren<QWidget*>())
        if (child->isWindow() && child->isVisible() && !qobject_cast<QMenu*>(child)) disable(child);
}

}  // namespace avelor::ui
