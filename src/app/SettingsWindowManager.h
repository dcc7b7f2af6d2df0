#pragma once

#include "app/ShellScreens.h"
#include "ui/foundation/UiContext.h"
#include "ui/settings/SettingsServices.h"

#include <memory>
#include <optional>

namespace tavrilux {

namespace ui {
class ContentView;
}
class SettingsWindow;

// Owns the settings window ("Tavrilux Settings", 820 x 540, never smaller than 760 x 480): built
// on the first request, centred on the primary screen only then, and only ever hidden. Showing
// it selects the given tab first (or keeps the current one), makes the application regular and
// raises and activates the window; hiding it makes the application an accessory again.
class SettingsWindowManager final : public SettingsWindowManaging {
public:
    static constexpr int kWidth = 820;
    static constexpr int kHeight = 540;

    SettingsWindowManager(const ui::UiContext& context, const ui::SettingsServices& services);
    ~SettingsWindowManager() override;

    void showSettingsWindow(std::optional<SettingsTab> tab) override;

    // None until first shown.
    SettingsWindow* settingsWindow() const { return window_.get(); }
    ui::ContentView* contentView() const { return content_; }

private:
    ui::UiContext context_;
    ui::SettingsServices services_;
    std::unique_ptr<SettingsWindow> window_;
    ui::ContentView* content_ = nullptr;
};

} // namespace tavrilux
