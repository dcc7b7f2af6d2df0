// Installs the crash handler the way the application does, then crashes on purpose.
// Usage: tavrilux_crash_helper segv|abort|thread|fault|overflow
//        tavrilux_crash_helper stuck <library that holds the loader's lock while it loads>
#include "platform/linux/CrashDiagnosticsStore.h"
#include "platform/linux/CrashHandler.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sched.h>
#include <sys/mman.h>
#include <thread>

// Set by the loader-lock library once it sits inside its constructor.
extern "C" {
[[gnu::visibility("default")]] std::atomic<int> tavriluxHelperLoaderLocked{0};
}

// Exported (the helper links with -rdynamic) so the record can name it.
[[gnu::noinline]] void tavriluxHelperCrashNow(const char* mode) {
    if (std::strcmp(mode, "abort") == 0) {
        std::abort();
    }
    if (std::strcmp(mode, "fault") == 0) {
        // A real fault (the instruction runs again after the handler), on a page that exists but
        // may not be touched, so that no sanitizer steps in first.
        void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
    }
    std::raise(SIGSEGV);
    std::puts("still alive after SIGSEGV");
}

// Deep enough to overflow any main-thread stack; the depth comes from outside so the compiler
// sees no endless recursion.
[[gnu::noinline]] unsigned tavriluxHelperRecurse(unsigned long depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth == 0) {
        return 0;
    }
    return tavriluxHelperRecurse(depth - 1) + static_cast<unsigned char>(frame[0]);
}

int main(int argc, char** argv) {
    const auto folder = tavrilux::linux_platform::CrashDiagnosticsStore::defaultFolder();
    if (auto failure = tavrilux::linux_platform::CrashHandler::install(folder, "9.8.7",
                                                                       std::chrono::seconds(2))) {
        std::fprintf(stderr, "install failed: %s\n", failure->description.c_str());
        return 2;
    }
    const char* mode = argc > 1 ? argv[1] : "segv";
    if (std::strcmp(mode, "thread") == 0) {
        std::thread([] { tavriluxHelperCrashNow("segv"); }).join();
    } else if (std::strcmp(mode, "overflow") == 0) {
        return static_cast<int>(tavriluxHelperRecurse(std::strtoul("100000000", nullptr, 10)));
    } else if (std::strcmp(mode, "stuck") == 0 && argc > 2) {
        const std::string library = argv[2];
        std::thread([library] { ::dlopen(library.c_str(), RTLD_NOW); }).detach();
        while (tavriluxHelperLoaderLocked.load() == 0) {
            ::sched_yield();
        }
        tavriluxHelperCrashNow("segv");
    } else {
        tavriluxHelperCrashNow(mode);
    }
    return 3;
}
