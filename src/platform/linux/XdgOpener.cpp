#include "platform/linux/XdgOpener.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavrilux::linux_platform {

XdgOpener::XdgOpener(std::string program) : program_(std::move(program)) {}

int XdgOpener::spawn(const std::string& program, const std::string& argument) {
    std::string arg0 = program;
    std::string arg1 = argument;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    // The handler starts with every signal unblocked and at its default action: this program
    // blocks its termination signals (taken by sigwait) and a file manager inheriting that could
    // not be ended at logout.
    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0) {
        return -1;
    }
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    return failed != 0 ? -1 : pid;
}

void XdgOpener::openFolder(const std::filesystem::path& folder) {
    if (!folder.is_absolute()) {
        return;
    }
    const int pid = spawn(program_, folder.string());
    if (pid > 0) {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
}

} // namespace tavrilux::linux_platform
