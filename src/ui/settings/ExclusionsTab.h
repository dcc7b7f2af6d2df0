#pragma once

#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"
#include "ui/settings/ExclusionRows.h"

#include <QWidget>

#include <vector>

namespace tavrilux {
class ApplicationDirectory;
} // namespace tavrilux

namespace tavrilux::ui {

class SettingsGroupCard;

// The Exclusions tab: the excluded applications and the excluded displays, each list in its own
// card with a Remove button per row, or an empty state. Rows follow the settings (also changes
// made in the quick panel while the tab shows), the installed applications and the connected
// displays; they are looked up again at every refresh and rebuilt only when what they show
// changed. While hidden the tab does nothing and catches up when it shows again.
class ExclusionsTab final : public QWidget {
    Q_OBJECT
public:
    ExclusionsTab(const UiContext& context, const ApplicationDirectory& applications,
                  QWidget* parent = nullptr);

    const std::vector<ExcludedApp>& appRows() const { return apps_; }
    const std::vector<ExcludedDisplay>& displayRows() const { return displays_; }
    SettingsGroupCard* appsCard() const { return appsCard_; }
    SettingsGroupCard* displaysCard() const { return displaysCard_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void fillApps();
    void fillDisplays();

    UiContext context_;
    const ApplicationDirectory& applications_;
    SettingsGroupCard* appsCard_;
    SettingsGroupCard* displaysCard_;
    std::vector<ExcludedApp> apps_;
    std::vector<ExcludedDisplay> displays_;
    bool built_ = false;
    ModelObserver observer_{[this] { refresh(); }, this};
};

} // namespace tavrilux::ui
