#include "ui/settings/AboutTab.h"

#include "core/localization/LocalizationManager.h"
#include "core/services/UpdaterManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/SectionLabel.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/TextLabel.h"
#include "ui/components/ToggleRow.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/settings/VersionText.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tavrilux::ui {

AboutTab::AboutTab(const UiContext& context, const std::optional<std::string>& version,
                   QWidget* parent)
    : QWidget(parent), context_(context),
      automaticUpdates_(new ToggleRow(text(localizationKey("automatic_updates")),
                                      text(localizationKey("automatic_updates_subtitle")))),
      checkNow_(new SettingsActionRow(text(localizationKey("current_version")),
                                      QString::fromStdString(version.value_or("dev")),
                                      text(localizationKey("check_now")))),
      crashReporting_(new ToggleRow(text(localizationKey("crash_reporting")),
                                    text(localizationKey("crash_reporting_subtitle")))) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    header->addWidget(new BrandMark(56), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(new TextLabel(text(localizationKey("app_name")), uiFont(22, FontWeight::bold),
                                    UiColor::theme(TavriluxTheme::primaryText)));
    titles->addWidget(new TextLabel(versionText(version), uiFont(12),
                                    UiColor::theme(TavriluxTheme::secondaryText)));
    header->addLayout(titles, 1);
    column->addLayout(header);

    auto* description = new TextLabel(text(localizationKey("about_description")), uiFont(13),
                                      UiColor::theme(TavriluxTheme::secondaryText));
    description->setWordWrap(true);
    column->addWidget(description);

    column->addWidget(new SectionLabel(text(localizationKey("updates"))));
    auto* updates = new SettingsGroupCard;
    updates->addWidget(automaticUpdates_);
    updates->addDivider(14);
    updates->addWidget(checkNow_);
    column->addWidget(updates);

    column->addWidget(new SectionLabel(text(localizationKey("privacy"))));
    auto* privacy = new SettingsGroupCard;
    privacy->addWidget(crashReporting_);
    column->addWidget(privacy);

    UpdaterManager& updater = context_.updater;
    // Without an update service the choice does nothing: shown so, as Check now is.
    automaticUpdates_->setEnabled(updater.hasController());
    DimmingSettings& settings = context_.settings;
    connect(automaticUpdates_, &ToggleRow::toggleRequested, this, [this, &updater](bool on) {
        updater.setAutomaticallyDownloadsUpdates(on);
        // Not published: shows what the service kept (nothing without a controller).
        observer_.refreshNow();
    });
    connect(checkNow_, &SettingsActionRow::triggered, this,
            [&updater] { updater.checkForUpdates(); });
    connect(crashReporting_, &ToggleRow::toggleRequested, this,
            [&settings](bool on) { settings.setCrashReportingEnabled(on); });

    observer_.watch(context_.settings);
    observer_.watch(context_.updater.canCheckForUpdates);
    observer_.refreshNow();
}

void AboutTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    observer_.refreshNow();
}

void AboutTab::refresh() {
    if (refreshed_ && !isVisible()) {
        return; // caught up in showEvent
    }
    refreshed_ = true;
    const QSignalBlocker blockUpdates(automaticUpdates_);
    const QSignalBlocker blockCrashes(crashReporting_);
    automaticUpdates_->setOn(context_.updater.automaticallyDownloadsUpdates());
    checkNow_->setEnabled(context_.updater.canCheckForUpdates.get());
    crashReporting_->setOn(context_.settings.crashReportingEnabled);
}

} // namespace tavrilux::ui
