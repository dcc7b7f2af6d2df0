#include "core/settings/FocusPresets.h"
#include "core/settings/DimmingSettings.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/VirtualMainQueue.h"

#include <gtest/gtest.h>

#include <utility>

namespace tavrilux {
namespace {

OverlayColor over255(int r, int g, int b) {
    return OverlayColor{r / 255.0, g / 255.0, b / 255.0};
}

// The looks as the presets are defined: tint colours from the glass palette ("Neutral" 700,
// "Blue" 400, "Orange" 600).
const DimmingConfiguration kFocus(true, 0.1, 0.7, over255(23, 23, 23), 0.0, EffectMode::fullscreen,
                                  0.5, 0.4, 0.35);
const DimmingConfiguration kFlow(true, 0.18, 0.4, over255(96, 165, 250), 0.2, EffectMode::ambient,
                                 0.25, 0.5, 0.35);
const DimmingConfiguration kEvening(true, 0.4, 0.15, over255(234, 88, 12), 0.1, EffectMode::aura,
                                    0.5, 1.0, 0.7);

TEST(FocusPresetsTest, PresetsCarryTheirLooksAndCustomHasNone) {
    EXPECT_EQ(presetConfiguration(FocusMode::custom), std::nullopt);
    EXPECT_EQ(presetConfiguration(FocusMode::focus), kFocus);
    EXPECT_EQ(presetConfiguration(FocusMode::flow), kFlow);
    EXPECT_EQ(presetConfiguration(FocusMode::evening), kEvening);
}

// What the user gets from a preset: the whole look on the running settings, sent and kept, with
// dimming left on or off as it was; custom leaves everything as it is.
TEST(FocusPresetsTest, ApplyingAPresetPutsItsWholeLookOnTheSettingsAndCustomChangesNothing) {
    for (const auto& [mode, look] :
         {std::pair{FocusMode::focus, kFocus}, std::pair{FocusMode::flow, kFlow},
          std::pair{FocusMode::evening, kEvening}}) {
        for (const bool enabled : {true, false}) {
            auto store = std::make_shared<SettingsStore>(
                std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>()));
            // A look of the user's own, far from every preset.
            store->save(DimmingConfiguration(enabled, 0.9, 0.9, OverlayColor::lime, 0.9,
                                             EffectMode::fullscreen, 0.9, 2.0, 0.1));
            store->saveMode(FocusMode::custom);
            fakes::FakeWorkspace workspace;
            fakes::VirtualMainQueue queue;
            auto settings = DimmingSettings::create(store, workspace, queue);

            const DimmingConfiguration before = settings->configuration();
            settings->applyMode(FocusMode::custom);
            EXPECT_EQ(settings->configuration(), before);
            EXPECT_EQ(settings->activeMode.get(), FocusMode::custom);

            settings->applyMode(mode);
            DimmingConfiguration expected = look;
            expected.isEnabled = enabled;
            EXPECT_EQ(settings->configuration(), expected) << rawValue(mode) << ' ' << enabled;
            EXPECT_EQ(store->loadConfiguration(), expected) << rawValue(mode) << ' ' << enabled;
            EXPECT_EQ(settings->activeMode.get(), mode);
        }
    }
}

} // namespace
} // namespace tavrilux
