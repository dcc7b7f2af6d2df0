// Cost of one text lookup (done for every visible text on every draw) and of one diagnostics
// sample (every 2 s).
#include "core/diagnostics/DimmingPerfLine.h"
#include "core/localization/LanguageChoice.h"
#include "core/localization/LocalizationManager.h"
#include "platform/linux/DirectoryResourceBundle.h"
#include "platform/linux/LinuxResourceUsageProbe.h"
#include "platform/linux/ResourceBundleLocator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace tavrilux;

std::unique_ptr<LocalizationManager> makeManager() {
    auto folder = linux_platform::ResourceBundleLocator::locateForThisProcess();
    std::shared_ptr<const ResourceBundle> bundle =
        folder ? std::shared_ptr<const ResourceBundle>(
                     std::make_shared<linux_platform::DirectoryResourceBundle>(*folder))
               : std::make_shared<EmptyResourceBundle>();
    auto defaults = std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    return std::make_unique<LocalizationManager>(defaults, bundle, [] {
        return LanguageChoice::preferredLanguagesFromEnvironment(
            [](const char* name) -> const char* { return std::getenv(name); });
    });
}

void BM_LookupThroughEnvironmentChoice(benchmark::State& state) {
    ::setenv("LANGUAGE", "fr_CA:en", 1);
    auto manager = makeManager();
    if (manager->resolvedLanguage() != "fr") {
        state.SkipWithError("the resource bundle is not next to the benchmark");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager->localizedString("front_window_stays_bright"));
    }
}
BENCHMARK(BM_LookupThroughEnvironmentChoice);

void BM_LookupWithOverride(benchmark::State& state) {
    auto manager = makeManager();
    manager->setLanguageOverride("de");
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager->localizedString("front_window_stays_bright"));
    }
}
BENCHMARK(BM_LookupWithOverride);

void BM_DiagnosticsSample(benchmark::State& state) {
    linux_platform::LinuxResourceUsageProbe probe;
    for (auto _ : state) {
        const double cpu = probe.processCpuUsagePercent();
        const auto gpu = probe.systemGpuUtilizationPercent();
        benchmark::DoNotOptimize(formatDimmingPerfLine(cpu, gpu, 2, 0));
    }
}
BENCHMARK(BM_DiagnosticsSample);

} // namespace

BENCHMARK_MAIN();
