#include "ui/settings/GeneralTab.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/SectionLabel.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/settings/BackgroundLoginItem.h"
#include "ui/settings/CheckRow.h"
#include "ui/settings/KeyCap.h"
#include "ui/settings/LinkButton.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cstdio>
#include <utility>

namespace tavrilux::ui {

GeneralTab::GeneralTab(const UiContext&, BackgroundLoginItem& loginItem, QWidget* parent)
    : QWidget(parent), loginItem_(loginItem),
      check_(new CheckRow(text(localizationKey("start_at_login")))),
      approval_(new LinkButton(text(localizationKey("needs_login_approval")))) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    auto* login = new QVBoxLayout;
    login->setSpacing(8);
    login->addWidget(check_, 0, Qt::AlignLeft);
    auto* link = new QHBoxLayout;
    link->setContentsMargins(27, 0, 0, 0);
    link->addWidget(approval_, 0, Qt::AlignLeft);
    login->addLayout(link);
    column->addLayout(login);

    column->addWidget(new SectionLabel(text(localizationKey("shortcuts"))));
    auto* card = new SettingsGroupCard;
    auto* shortcut = new QWidget;
    shortcut->setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(shortcut);
    row->setContentsMargins(14, 12, 14, 12);
    row->addWidget(new TextLabel(text(localizationKey("toggle_dimming")), uiFont(13),
                                 UiColor::theme(TavriluxTheme::primaryText)),
                   1);
    row->addWidget(new KeyCap(toggleDimmingKeys()));
    card->addWidget(shortcut);
    column->addWidget(card);

    connect(check_, &CheckRow::toggleRequested, this, &GeneralTab::requestStartAtLogin);
    connect(approval_, &QAbstractButton::clicked, this,
            [this] { loginItem_.openSystemSettings(); });

    present(loginItem_.lastKnownStatus().value_or(LoginItemStatus::notRegistered));
}

void GeneralTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The entry may have changed outside while the tab was hidden; a call out answers anyway.
    if (!calling_) {
        calling_ = true;
        loginItem_.status(this, [this](LoginItemStatus status) {
            calling_ = false;
            answered(status);
        });
    }
}

void GeneralTab::present(LoginItemStatus status) {
    launchAtLogin_ = status == LoginItemStatus::enabled;
    needsApproval_ = status == LoginItemStatus::requiresApproval;
    check_->setOn(launchAtLogin_);
    approval_->setVisible(needsApproval_);
}

void GeneralTab::answered(LoginItemStatus status) {
    const std::optional<bool> wish = std::exchange(wish_, std::nullopt);
    if (wish && *wish != (status == LoginItemStatus::enabled)) {
        change(*wish);
        return;
    }
    present(status);
}

void GeneralTab::requestStartAtLogin(bool enabled) {
    if (calling_) {
        wish_ = enabled;
        check_->setOn(enabled);
        return;
    }
    change(enabled);
}

void GeneralTab::change(bool enabled) {
    calling_ = true;
    check_->setOn(enabled);
    loginItem_.setEnabled(enabled, this, [this, enabled](const Result<LoginItemStatus>& result) {
        calling_ = false;
        if (result.ok()) {
            answered(result.value());
            return;
        }
        std::printf("LoginItem.setEnabled(%s) failed: %s\n", enabled ? "true" : "false",
                    result.failure().description.c_str());
        std::fflush(stdout);
        answered(LoginItemStatus::notRegistered);
    });
}

} // namespace tavrilux::ui
