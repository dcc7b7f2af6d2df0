// A library whose loading never ends: its constructor runs under the dynamic loader's lock and
// waits forever, so that whoever needs that lock (symbol lookup in a crash handler) waits too.
#include <atomic>
#include <unistd.h>

extern "C" std::atomic<int> tavriluxHelperLoaderLocked;

[[gnu::constructor]] static void holdTheLoaderLock() {
    tavriluxHelperLoaderLocked.store(1);
    for (;;) {
        ::pause();
    }
}
