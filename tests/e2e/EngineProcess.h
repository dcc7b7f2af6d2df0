#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrilux::e2e {

// The look the end-to-end tests dim with: a tint of one colour over the whole display, no blur
// and no grain, so every dimmed pixel follows from the tint alone (black at half strength halves
// it).
struct EngineLook {
    double tint = 0.5;
    double appearanceDuration = 0.25;
    double red = 0, green = 0, blue = 0;
};

// The tavrilux binary running on a test desktop with settings of its own (temporary
// configuration and state folders, removed afterwards).
class EngineProcess final {
public:
    // `look`: every start writes the settings file anew from the look, so no start is a first
    // launch. `fresh`: the first start finds no settings file, and later starts keep whatever
    // the application wrote.
    enum class Configuration { look, fresh };

    EngineProcess(const std::string& display, const EngineLook& look,
                  Configuration configuration = Configuration::look);
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
    // The signal that ended the last run, 0 when it exited by itself (or still runs).
    int endingSignal() const { return endingSignal_; }
    // What the engine wrote on standard error (standard output) so far.
    std::string standardError() const;
    std::string standardOutput() const;
    // How many times `text` stands in standard error so far.
    std::size_t said(const std::string& text) const;
    // The settings file as the application last wrote it.
    std::string storedSettings() const;

    // Starts the engine again, once the last run has ended, in the same folders; its settings
    // file is written anew from the look plus `extraSettings` (JSON members, e.g.
    // "\"app.crashReportingEnabled\": false").
    void restart(const std::string& extraSettings = {});
    // The engine's $XDG_STATE_HOME and $XDG_CONFIG_HOME.
    std::filesystem::path stateHome() const { return home_ / "state"; }
    std::filesystem::path configHome() const { return home_ / "config"; }

private:
    void launch(const std::string& extraSettings);
    static std::string readAll(const std::filesystem::path& file);

    std::string display_;
    EngineLook look_;
    Configuration configuration_;
    std::filesystem::path home_;
    pid_t pid_ = -1;
    int endingSignal_ = 0;
};

} // namespace tavrilux::e2e
