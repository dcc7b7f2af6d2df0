#include "platform/linux/XdgOpener.h"

#include <cerrno>
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
    pid_t pid = -1;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        return -1;
    }
    return pid;
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
