// The engine's own progress window ("-d"): the project's name, the
// simulated date and time, a progress bar and a Stop button. The run goes
// on a worker thread so the window stays responsive; Stop (or closing the
// window) asks the run to stop and waits for it to close its files.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "simulation_run.h"

namespace avelor::engine {

// What the window runs: the work gets a progress sink, which may be called
// from the worker thread, and the stop flag the window sets. Its return
// value is the exit code.
using WindowWork = std::function<int(const std::function<void(const RunProgress&)>& progress,
                                     const std::atomic<bool>& stop)>;

// Shows the window, runs the work on a worker thread and returns its exit
// code once it is done. When external_stop is given and becomes set (an
// interrupt or termination signal), the window acts as if Stop was pressed.
int run_in_progress_window(int& argc, char** argv, const std::string& project_name, const WindowWork& work,
                           const std::atomic<bool>* external_stop = nullptr);

}  // namespace avelor::engine
