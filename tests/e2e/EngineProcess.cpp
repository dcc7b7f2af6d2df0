#include "EngineProcess.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tavrilux::e2e {

EngineProcess::EngineProcess(const std::string& display, const EngineLook& look,
                             Configuration configuration)
    : display_(display), look_(look), configuration_(configuration) {
    char pattern[] = "/tmp/tavrilux-e2e-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("no temporary folder");
    }
    home_ = pattern;
    std::filesystem::create_directories(home_ / "config/tavrilux");
    std::filesystem::create_directories(home_ / "state");
    launch({});
}

void EngineProcess::restart(const std::string& extraSettings) {
    if (pid_ > 0) {
        throw std::logic_error("the engine still runs");
    }
    launch(extraSettings);
}

void EngineProcess::launch(const std::string& extraSettings) {
    if (configuration_ == Configuration::look) {
        std::ofstream(home_ / "config/tavrilux/com.mirtal.tavrilux.json")
            << "{\"dimming.isEnabled\": true, \"dimming.blurIntensity\": 0, "
               "\"dimming.tintIntensity\": "
            << look_.tint << ", \"dimming.overlayColor.red\": " << look_.red
            << ", \"dimming.overlayColor.green\": " << look_.green
            << ", \"dimming.overlayColor.blue\": " << look_.blue
            << ", \"dimming.grainIntensity\": 0, "
               "\"dimming.effectMode\": \"fullscreen\", \"dimming.ambientFadeStart\": 0.5, "
               "\"dimming.appearanceDuration\": "
            << look_.appearanceDuration
            << ", \"dimming.auraIntensity\": 0.35, \"dimming.activeMode\": \"custom\", "
               "\"app.multiScreenFocusMode\": \"perScreen\""
            << (extraSettings.empty() ? "" : ", ") << extraSettings << "}\n";
    }
    endingSignal_ = 0;
    const std::string err = (home_ / "stderr.txt").string();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (home_ / "state").c_str(), 1);
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            ::dup2(fd, 2);
        }
        const int out = ::open((home_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (out >= 0) {
            ::dup2(out, 1);
        }
        ::execl(TAVRILUX_ENGINE_PATH, TAVRILUX_ENGINE_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

EngineProcess::~EngineProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
}

bool EngineProcess::isRunning() const {
    if (pid_ <= 0) {
        return false;
    }
    // Looks without reaping, so that terminate() and waitForExit() still get the status.
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

int EngineProcess::terminate() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    if (auto status = waitForExit(std::chrono::seconds(5))) {
        return *status;
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

std::optional<int> EngineProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            endingSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::string EngineProcess::standardError() const {
    return readAll(home_ / "stderr.txt");
}

std::string EngineProcess::standardOutput() const {
    return readAll(home_ / "stdout.txt");
}

std::size_t EngineProcess::said(const std::string& text) const {
    const std::string err = standardError();
    std::size_t count = 0;
    for (auto at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) {
        ++count;
    }
    return count;
}

std::string EngineProcess::storedSettings() const {
    return readAll(configHome() / "tavrilux/com.mirtal.tavrilux.json");
}

std::string EngineProcess::readAll(const std::filesystem::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

} // namespace tavrilux::e2e
