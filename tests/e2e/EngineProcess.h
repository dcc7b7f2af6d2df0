#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::e2e {

// The look the end-to-end tests dim with: a black tint at half strength over the whole display,
// no blur and no grain, so every dimmed pixel is exactly half as bright.
struct EngineLook {
    double tint = 0.5;
    double appearanceDuration = 0.25;
};

// The tavrilux binary running on a test desktop with settings of its own (temporary
// configuration and state folders, removed afterwards).
class EngineProcess final {
public:
    EngineProcess(const std::string& display, const EngineLook& look);
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool isRunning() const;
    // SIGTERM, then waits; returns the exit status (-1 when it had to be killed).
    int terminate();
    // Waits for the engine to end by itself: its exit status, -1 when a signal ended it, nothing
    // when it still runs after `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // What the engine wrote on standard error so far.
    std::string standardError() const;

private:
    std::filesystem::path home_;
    pid_t pid_ = -1;
};

} // namespace tavrilux::e2e
