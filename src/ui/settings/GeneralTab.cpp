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
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

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
    row->addWidget(
        new KeyCap({QStringLiteral("Alt"), QStringLiteral("Super"), QStringLiteral("O")}));
    card->addWidget(shortcut);
    column->addWidget(card);

    connect(check_, &CheckRow::toggleRequested, this, &GeneralTab::requestStartAtLogin);
    connect(approval_, &QAbstractButton::clicked, this,
            [this] { loginItem_.openSystemSettings(); });

    present(false, false);
    beginWaiting();
    loginItem_.status(this, [this](LoginItemStatus status) {
        endWaiting();
        present(status == LoginItemStatus::enabled, status == LoginItemStatus::requiresApproval);
    });
}

void GeneralTab::beginWaiting() {
    waiting_ = true;
    const int call = ++calls_;
    // Dimmed only when the answer is late, so a quick one causes no flicker.
    QTimer::singleShot(kDimAfter, this, [this, call] {
        if (waiting_ && call == calls_) {
            check_->setEnabled(false);
        }
    });
}

void GeneralTab::endWaiting() {
    waiting_ = false;
    check_->setEnabled(true);
}

void GeneralTab::present(bool launchAtLogin, bool needsApproval) {
    launchAtLogin_ = launchAtLogin;
    needsApproval_ = needsApproval;
    check_->setOn(launchAtLogin);
    approval_->setVisible(needsApproval);
}

void GeneralTab::requestStartAtLogin(bool enabled) {
    if (waiting_) {
        return;
    }
    beginWaiting();
    loginItem_.setEnabled(enabled, this, [this, enabled](const Result<LoginItemStatus>& result) {
        endWaiting();
        if (result.ok()) {
            present(result.value() == LoginItemStatus::enabled,
                    result.value() == LoginItemStatus::requiresApproval);
            return;
        }
        present(false, false);
        std::printf("LoginItem.setEnabled(%s) failed: %s\n", enabled ? "true" : "false",
                    result.failure().description.c_str());
        std::fflush(stdout);
    });
}

} // namespace tavrilux::ui
