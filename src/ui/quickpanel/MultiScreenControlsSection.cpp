#include "ui/quickpanel/MultiScreenControlsSection.h"

#include "core/localization/LocalizationManager.h"
#include "core/platform/Screens.h"
#include "core/settings/DimmingSettings.h"
#include "ui/components/Divider.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/BadgedIcon.h"
#include "ui/quickpanel/ExclusionRow.h"
#include "ui/quickpanel/MultiScreenModeButton.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavrilux::ui {

MultiScreenControlsSection::MultiScreenControlsSection(const UiContext& context, QWidget* parent)
    : QWidget(parent), settings_(context.settings), screens_(context.screens),
      displayRow_(new ExclusionRow),
      perScreen_(new MultiScreenModeButton(symbolName("rectangle.on.rectangle"),
                                           text("focus_mode_per_display"))),
      activeOnly_(
          new MultiScreenModeButton(symbolName("macwindow"), text("focus_mode_active_display"))),
      observer_([this] { refresh(); }, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(displayRow_);
    column->addWidget(new Divider(14));
    auto* modes = new QHBoxLayout;
    modes->setContentsMargins(8, 8, 8, 8);
    modes->setSpacing(6);
    modes->addWidget(perScreen_, 1);
    modes->addWidget(activeOnly_, 1);
    column->addLayout(modes);
    displayRow_->icon()->setSymbol(symbolName("display"), 23, FontWeight::medium);

    connect(displayRow_, &QAbstractButton::clicked, this, &MultiScreenControlsSection::toggle);
    connect(perScreen_, &QAbstractButton::clicked, this,
            [this] { settings_.setMultiScreenFocusMode(MultiScreenFocusMode::perScreen); });
    connect(activeOnly_, &QAbstractButton::clicked, this,
            [this] { settings_.setMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly); });
    observer_.watch(settings_);
    observer_.refreshNow();
}

std::optional<Screen> MultiScreenControlsSection::activeScreen() const {
    const auto& id = settings_.activeScreenID.get();
    if (!id) {
        return std::nullopt;
    }
    for (const Screen& screen : screens_.screens()) {
        if (tavriluxScreenID(screen, screens_) == *id) {
            return screen;
        }
    }
    return std::nullopt;
}

void MultiScreenControlsSection::toggle() {
    if (const auto screen = activeScreen()) {
        settings_.toggleDisplayExclusion(tavriluxDisplayUUID(*screen, screens_));
    }
}

void MultiScreenControlsSection::refresh() {
    const auto screen = activeScreen();
    const bool excluded = screen && settings_.excludedDisplayUUIDs.get().count(
                                        tavriluxDisplayUUID(*screen, screens_)) != 0;
    displayRow_->setContent(
        screen ? QString::fromStdString(screen->localizedName) : text("active_display_unavailable"),
        text("exclude_current_display"), text("exclude_display"), excluded, screen.has_value());
    const bool perScreen = settings_.multiScreenFocusMode.get() == MultiScreenFocusMode::perScreen;
    perScreen_->setSelected(perScreen);
    activeOnly_->setSelected(!perScreen);
}

} // namespace tavrilux::ui
