#include "simulation/engine_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace avelor {

EngineEnd engine_end_for_code(long long code)
{
    const auto value = static_cast<unsigned long long>(code);
    if (value == 0) return EngineEnd::Success;
    if (value == 1) return EngineEnd::StoppedByUser;
    return EngineEnd::Abnormal;
}

namespace {

// Spawn attributes and file actions, released whatever happens.
struct SpawnSetup {
    posix_spawnattr_t attributes{};
    posix_spawn_file_actions_t actions{};
    bool have_attributes = false;
    bool have_actions = false;
    ~SpawnSetup()
    {
        if (have_actions) posix_spawn_file_actions_destroy(&actions);
        if (have_attributes) posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

bool EngineProcess::start(const std::vector<std::string>& argv, bool detached)
{
    error_ = 0;
    if (running()) {
        error_ = EBUSY;
        return false;
    }
    if (argv.empty() || argv.front().empty()) {
        error_ = ENOENT;
        return false;
    }
    // A missing program is known before anything is created.
    if (::access(argv.front().c_str(), X_OK) != 0) {
        error_ = errno;
        return false;
    }
    SpawnSetup setup;
    if (posix_spawnattr_init(&setup.attributes) != 0 || posix_spawn_file_actions_init(&setup.actions) != 0) {
        error_ = ENOMEM;
        return false;
    }
    setup.have_attributes = true;
    setup.have_actions = true;
    short flags = 0;
#ifdef POSIX_SPAWN_SETSID
    if (detached) flags |= POSIX_SPAWN_SETSID;
#else
    (void)detached;
#endif
    if (flags != 0) posix_spawnattr_setflags(&setup.attributes, flags);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Only the three standard streams reach the engine.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
#endif
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t child = -1;
    const int rc = posix_spawn(&child, args.front(), &setup.actions, &setup.attributes, args.data(), environ);
    if (rc != 0) {
        error_ = rc;
        return false;
    }
    pid_ = child;
    state_ = State::Running;
    return true;
}

std::optional<EngineExit> EngineProcess::poll()
{
    if (!running()) return std::nullopt;
    int status = 0;
    pid_t r = -1;
    do {
        r = ::waitpid(pid_, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return std::nullopt;  // still running
    EngineExit exit;
    if (r < 0) {
        // The exit cannot be read (the child was reaped elsewhere): an
        // abnormal end, and the watcher is free again.
        error_ = errno;
    } else if (WIFEXITED(status)) {
        exit.code = WEXITSTATUS(status);
        exit.end = engine_end_for_code(exit.code);
    } else if (WIFSIGNALED(status)) {
        exit.signal = WTERMSIG(status);
    }
    state_ = State::Idle;
    pid_ = -1;
    return exit;
}

EngineExit EngineProcess::wait(int interval_ms)
{
    for (;;) {
        if (!running()) return EngineExit{};
        if (std::optional<EngineExit> exit = poll()) return *exit;
        std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms > 0 ? interval_ms : 1));
    }
}

}  // namespace avelor
