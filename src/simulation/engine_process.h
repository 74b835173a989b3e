// The simulation engine as a child process: started from an argument
// vector (never through a shell) and watched without blocking, so that the
// caller's event loop keeps running while the engine works.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace avelor {

// How an engine run ended.
enum class EngineEnd {
    Success,        // exit code 0
    StoppedByUser,  // exit code 1
    Abnormal,       // any other code, a signal, or an exit that could not be read
};

struct EngineExit {
    EngineEnd end = EngineEnd::Abnormal;
    // The exit code as the process gave it (0..255), or -1 when it was
    // killed by a signal or its exit could not be read.
    int code = -1;
    // The signal that ended it, 0 when none.
    int signal = 0;
};

// The ending an exit code stands for: 0 success, 1 stopped by the user,
// anything else (as an unsigned number greater than 1) abnormal.
EngineEnd engine_end_for_code(long long code);

class EngineProcess {
public:
    enum class State { Idle, Running };

    EngineProcess() = default;
    // A process still running is left to finish on its own; it is not
    // stopped with its watcher.
    ~EngineProcess() = default;
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts argv[0] with the arguments that follow, in the caller's
    // working folder and environment, with standard input, output and error
    // inherited and every other open file closed. detached puts the child in
    // a session of its own (no controlling terminal). False, with the
    // system's error number in error(), when nothing was started: an empty
    // vector, a program that is missing or not executable, or a refused
    // spawn. Refused while a process is running.
    bool start(const std::vector<std::string>& argv, bool detached = false);

    // Asks, without waiting, whether the process has ended. nullopt while it
    // runs (or when idle); otherwise its exit, once, and the state is Idle
    // again. A failed query counts as an abnormal end, so a lost child can
    // never leave its watcher running for ever.
    std::optional<EngineExit> poll();

    // Polls every interval_ms until the process ends (for the command-line
    // tool and tests).
    EngineExit wait(int interval_ms = 50);

    State state() const { return state_; }
    bool running() const { return state_ == State::Running; }
    pid_t pid() const { return pid_; }
    int error() const { return error_; }

private:
    State state_ = State::Idle;
    pid_t pid_ = -1;
    int error_ = 0;
};

}  // namespace avelor
