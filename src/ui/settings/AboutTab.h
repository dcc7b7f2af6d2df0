#pragma once

#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"

#include <QWidget>

#include <optional>
#include <string>

namespace tavrilux::ui {

class SettingsActionRow;
class ToggleRow;

// The About tab: the brand mark with name and version, a short description, the Updates group
// (automatic updates; the current version with Check now, usable only while the update service
// can check) and the Privacy group (sending crash reports). Switches show the stored state:
// without an update controller the automatic-updates switch springs back to off. While hidden the
// tab does nothing and catches up when it shows again.
class AboutTab final : public QWidget {
    Q_OBJECT
public:
    AboutTab(const UiContext& context, const std::optional<std::string>& version,
             QWidget* parent = nullptr);

    ToggleRow* automaticUpdatesRow() const { return automaticUpdates_; }
    SettingsActionRow* checkNowRow() const { return checkNow_; }
    ToggleRow* crashReportingRow() const { return crashReporting_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    UiContext context_;
    ToggleRow* automaticUpdates_;
    SettingsActionRow* checkNow_;
    ToggleRow* crashReporting_;
    bool refreshed_ = false;
    ModelObserver observer_{[this] { refresh(); }, this};
};

} // namespace tavrilux::ui
