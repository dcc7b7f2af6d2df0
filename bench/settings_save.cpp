// SettingsStore::save on a domain backed by a real JSON file: the cost on the calling (main)
// thread of one slider step. The file itself is written later, off this thread.
#include "core/defaults/DefaultsRegistry.h"
#include "core/settings/FocusPresets.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/JsonFileStorage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using namespace tavrilux;

// idle: every save finds the writer idle (the previous one already stored), as slider steps
// spread over time do; otherwise saves come in one burst.
void runSaves(benchmark::State& state, bool idle) {
    std::string folder = (std::filesystem::temp_directory_path() / "tavrilux-bench-XXXXXX");
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    {
        DefaultsRegistry registry(linux_platform::JsonFileStorage::factoryIn(folder));
        SettingsStore store(SettingsStore::openDefaults(registry));
        // A realistic domain: the look, the mode and a few exclusions.
        store.save(*presetConfiguration(FocusMode::focus));
        store.saveMode(FocusMode::custom);
        store.saveExcludedBundleIDs({"org.gnome.Terminal", "org.mozilla.firefox", "code"});
        registry.flushAll();

        auto configuration = *presetConfiguration(FocusMode::flow);
        int step = 0;
        for (auto _ : state) {
            if (idle) {
                state.PauseTiming();
                registry.flushAll();
                state.ResumeTiming();
            }
            configuration.blurIntensity = (step++ % 100) / 100.0;
            store.save(configuration);
        }
        registry.flushAll();
    }
    std::filesystem::remove_all(folder);
}
void BM_SettingsSave(benchmark::State& state) {
    runSaves(state, false);
}
void BM_SettingsSaveWhenIdle(benchmark::State& state) {
    runSaves(state, true);
}
// From one save until the file holds it: the coalescing delay plus the write itself, the most a
// save can be late on disk when nothing else is waiting to be written.
void BM_SettingsSaveUntilStored(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "tavrilux-bench-XXXXXX");
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    {
        DefaultsRegistry registry(linux_platform::JsonFileStorage::factoryIn(folder));
        auto defaults = SettingsStore::openDefaults(registry);
        SettingsStore store(defaults);
        auto configuration = *presetConfiguration(FocusMode::flow);
        int step = 0;
        for (auto _ : state) {
            const auto before = defaults->storeCount();
            configuration.blurIntensity = (step++ % 100) / 100.0;
            store.save(configuration);
            while (defaults->storeCount() == before) {
                std::this_thread::yield();
            }
        }
    }
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_SettingsSave);
BENCHMARK(BM_SettingsSaveUntilStored)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
// Each iteration waits for a real file write, so keep the count small.
BENCHMARK(BM_SettingsSaveWhenIdle)->Iterations(1000);

} // namespace

BENCHMARK_MAIN();
