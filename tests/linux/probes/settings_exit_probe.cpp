// Saves a known configuration, prints "ready <pid>" and waits for SIGTERM or SIGINT; then flushes
// the settings and exits 0. Settings go to $XDG_CONFIG_HOME/tavrilux, as in the application.
#include "core/defaults/DefaultsRegistry.h"
#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/JsonFileStorage.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/XdgPaths.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unistd.h>

using namespace tavrilux;
using namespace tavrilux::linux_platform;

int main() {
    std::mutex mutex;
    std::condition_variable received;
    int signal = 0;
    // First, before any thread exists.
    TerminationSignals signals([&](int s) {
        {
            std::lock_guard lock(mutex);
            signal = s;
        }
        received.notify_all();
    });

    DefaultsRegistry registry(JsonFileStorage::factoryIn(XdgPaths::tavriluxConfigDir()));
    SettingsStore store(SettingsStore::openDefaults(registry));
    auto configuration = *presetConfiguration(FocusMode::evening);
    configuration.blurIntensity = 0.42;
    store.save(configuration);
    store.saveMode(FocusMode::evening);
    store.saveExcludedBundleIDs({"org.example.probe"});

    std::printf("ready %d\n", static_cast<int>(getpid()));
    std::fflush(stdout);

    std::unique_lock lock(mutex);
    received.wait(lock, [&] { return signal != 0; });
    registry.flushAll();
    std::printf("flushed after signal %d\n", signal);
    return 0;
}
