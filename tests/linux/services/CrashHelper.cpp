// Installs the crash handler the way the application does, then crashes on purpose.
// Usage: tavrilux_crash_helper segv|abort
#include "platform/linux/CrashDiagnosticsStore.h"
#include "platform/linux/CrashHandler.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    tavriluxHelperCrashNow(argc > 1 ? argv[1] : "segv");
    return 3;
}
