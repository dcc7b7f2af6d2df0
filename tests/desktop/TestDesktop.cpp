#include "TestDesktop.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tavrilux::testdesktop {

namespace {

using Clock = std::chrono::steady_clock;

// Reads lines from `fd` until `count` lines or `timeout`; closes `fd`.
std::vector<std::string> readLines(int fd, std::size_t count, std::chrono::seconds timeout) {
    std::vector<std::string> lines;
    std::string buffer;
    const auto deadline = Clock::now() + timeout;
    while (lines.size() < count && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(&p, 1, static_cast<int>(std::max<long>(left.count(), 1))) <= 0) {
            continue;
        }
        std::array<char, 512> chunk{};
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n <= 0) {
            break;
        }
        buffer.append(chunk.data(), static_cast<std::size_t>(n));
        for (auto nl = buffer.find('\n'); nl != std::string::npos; nl = buffer.find('\n')) {
            lines.push_back(buffer.substr(0, nl));
            buffer.erase(0, nl + 1);
        }
    }
    ::close(fd);
    return lines;
}

// Waits for `pid` up to `timeout`, then kills it.
void reap(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) != 0) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

pid_t spawn(const std::vector<std::string>& argv, int stdinFd, int stdoutFd,
            const std::string& display, bool quiet = false) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (stdinFd >= 0) {
            ::dup2(stdinFd, 0);
        }
        if (stdoutFd >= 0) {
            ::dup2(stdoutFd, 1);
        }
        if (quiet) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        if (display.empty()) {
            ::unsetenv("DISPLAY");
        } else {
            ::setenv("DISPLAY", display.c_str(), 1);
        }
        ::setenv("TAVRILUX_TEST_CLIENT", TAVRILUX_TEST_CLIENT_PATH, 1);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace

TestDesktop::TestDesktop() : TestDesktop(Options{}) {}

TestDesktop::TestDesktop(Options options) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("test desktop: pipe failed");
    }
    std::vector<std::string> argv{"/bin/bash", TAVRILUX_TEST_DESKTOP_SCRIPT};
    if (options.bare) {
        argv.emplace_back("--bare");
    }
    argv.insert(argv.end(), {"--wm", options.windowManager});
    scriptPid_ = spawn(argv, input[0], output[1], "");
    ::close(input[0]);
    ::close(output[1]);
    scriptInput_ = input[1];
    const auto lines = readLines(output[0], 2, std::chrono::seconds(30));
    if (lines.size() != 2 || lines[0].rfind("DISPLAY=", 0) != 0 ||
        lines[1].rfind("XVFB_PID=", 0) != 0) {
        stop();
        throw std::runtime_error("test desktop: did not start");
    }
    display_ = lines[0].substr(std::strlen("DISPLAY="));
    serverPid_ = static_cast<pid_t>(std::stol(lines[1].substr(std::strlen("XVFB_PID="))));
}

TestDesktop::~TestDesktop() {
    stop();
}

TestDesktop::Client TestDesktop::startClient(const std::vector<std::string>& args) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("test desktop: pipe failed");
    }
    std::size_t count = 1;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--count") {
            count = std::stoul(args[i + 1]);
        }
    }
    std::vector<std::string> argv{TAVRILUX_TEST_CLIENT_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    Client client;
    client.pid = spawn(argv, -1, output[1], display_);
    ::close(output[1]);
    clients_.push_back(client.pid);
    for (const auto& line : readLines(output[0], count, std::chrono::seconds(10))) {
        if (line.rfind("window ", 0) == 0) {
            client.windows.push_back(
                static_cast<xcb_window_t>(std::strtoul(line.c_str() + 7, nullptr, 16)));
        }
    }
    if (client.windows.size() != count) {
        throw std::runtime_error("test desktop: the test client did not map its windows");
    }
    return client;
}

void TestDesktop::stopClient(const Client& client) {
    ::kill(client.pid, SIGTERM);
    reap(client.pid, std::chrono::milliseconds(2000));
    std::erase(clients_, client.pid);
}

void TestDesktop::killServer() {
    if (serverPid_ > 0) {
        ::kill(serverPid_, SIGTERM);
    }
}

int TestDesktop::xrandr(const std::string& arguments) const {
    const std::string command = "DISPLAY=" + display_ + " xrandr " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

void TestDesktop::startCompositor() {
    compositorPid_ = spawn({"/usr/bin/picom", "--backend", "xrender", "--config", "/dev/null"}, -1,
                           -1, display_, true);
}

void TestDesktop::stopCompositor() {
    if (compositorPid_ > 0) {
        ::kill(compositorPid_, SIGTERM);
        reap(compositorPid_, std::chrono::milliseconds(2000));
    }
    compositorPid_ = -1;
}

void TestDesktop::stop() {
    stopCompositor();
    for (pid_t pid : clients_) {
        ::kill(pid, SIGTERM);
    }
    for (pid_t pid : clients_) {
        reap(pid, std::chrono::milliseconds(2000));
    }
    clients_.clear();
    if (scriptInput_ >= 0) {
        ::close(scriptInput_); // the script stops everything it started
        scriptInput_ = -1;
    }
    if (scriptPid_ > 0) {
        reap(scriptPid_, std::chrono::milliseconds(10000));
        scriptPid_ = -1;
    }
}

} // namespace tavrilux::testdesktop
