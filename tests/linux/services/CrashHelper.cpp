// Installs the crash handler the way the application does, then crashes on purpose.
// Usage: tavrilux_crash_helper segv|abort|thread
#include "platform/linux/CrashDiagnosticsStore.h"
#include "platform/linux/CrashHandler.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

// Exported (the helper links with -rdynamic) so the record can name it.
[[gnu::noinline]] void tavriluxHelperCrashNow(const char* mode) {
    if (std::strcmp(mode, "abort") == 0) {
        std::abort();
    }
    std::raise(SIGSEGV);
    std::puts("still alive after SIGSEGV");
}

int main(int argc, char** argv) {
    const auto folder = tavrilux::linux_platform::CrashDiagnosticsStore::defaultFolder();
    if (auto failure = tavrilux::linux_platform::CrashHandler::install(folder, "9.8.7")) {
        std::fprintf(stderr, "install failed: %s\n", failure->description.c_str());
        return 2;
    }
    const char* mode = argc > 1 ? argv[1] : "segv";
    if (std::strcmp(mode, "thread") == 0) {
        std::thread([] { tavriluxHelperCrashNow("segv"); }).join();
    } else {
        tavriluxHelperCrashNow(mode);
    }
    return 3;
}
