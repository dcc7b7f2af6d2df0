#include "ui/settings/ExclusionsTab.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/SectionLabel.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/SymbolIcon.h"
#include "ui/components/TextLabel.h"
#include "ui/foundation/Fonts.h"
#include "ui/foundation/LocalizedText.h"
#include "ui/foundation/Symbols.h"
#include "ui/settings/ApplicationIcon.h"
#include "ui/settings/ExclusionListRow.h"

#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {

constexpr int kIconEdge = 32;
// Under a row with an icon, dividers start where its texts do.
constexpr int kRowDividerInset = 52;

TextLabel* label(const QString& content, const QFont& font, const ThemeColor& colour) {
    return new TextLabel(content, font, UiColor::theme(colour));
}

SettingsGroupCard* addSection(QVBoxLayout* column, std::string_view title,
                              std::string_view subtitle) {
    column->addWidget(new SectionLabel(text(title)));
    auto* explanation = label(text(subtitle), uiFont(12), TavriluxTheme::secondaryText);
    explanation->setWordWrap(true);
    column->addWidget(explanation);
    auto* card = new SettingsGroupCard;
    column->addWidget(card);
    return card;
}

void clear(SettingsGroupCard* card) {
    while (QLayoutItem* item = card->contentLayout()->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

QWidget* emptyState(std::string_view title, std::string_view hint) {
    auto* box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(14, 20, 14, 20);
    column->setSpacing(6);
    auto* heading = label(text(title), uiFont(13, FontWeight::medium), TavriluxTheme::primaryText);
    heading->setAlignment(Qt::AlignCenter);
    auto* explanation = label(text(hint), uiFont(11), TavriluxTheme::secondaryText);
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(heading);
    column->addWidget(explanation);
    return box;
}

QWidget* symbolBox(std::string_view name, qreal size, FontWeight weight) {
    auto* icon = new SymbolIcon(name, size, weight, UiColor::theme(TavriluxTheme::secondaryText));
    icon->setFixedSize(kIconEdge, kIconEdge);
    return icon;
}

QWidget* texts(std::initializer_list<QWidget*> lines) {
    auto* box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    for (QWidget* line : lines) {
        column->addWidget(line);
    }
    return box;
}

ExclusionListRow* appRow(const ExcludedApp& app) {
    const QString key = QString::fromStdString(app.key);
    if (!app.installed) {
        return new ExclusionListRow(symbolBox(symbolName("app.dashed"), 26, FontWeight::regular),
                                    texts({label(key, uiFont(12), TavriluxTheme::secondaryText)}));
    }
    QImage image =
        ApplicationIcon::load(QString::fromStdString(app.installed->iconPath), 2 * kIconEdge);
    QWidget* icon = image.isNull() ? symbolBox(symbolName("app.dashed"), 26, FontWeight::regular)
                                   : new ApplicationIcon(std::move(image), kIconEdge);
    auto* name =
        label(QString::fromStdString(app.installed->name), uiFont(13), TavriluxTheme::primaryText);
    name->setToolTip(key);
    return new ExclusionListRow(icon, texts({name}));
}

ExclusionListRow* displayRow(const ExcludedDisplay& display) {
    if (display.connectedName) {
        return new ExclusionListRow(symbolBox(symbolName("display"), 23, FontWeight::medium),
                                    texts({label(QString::fromStdString(*display.connectedName),
                                                 uiFont(13), TavriluxTheme::primaryText)}));
    }
    auto* key = label(QString::fromStdString(display.key), monospacedFont(10),
                      TavriluxTheme::secondaryText);
    key->setElideMode(Qt::ElideMiddle);
    key->setToolTip(QString::fromStdString(display.key));
    return new ExclusionListRow(
        symbolBox(symbolName("display.trianglebadge.exclamationmark"), 23, FontWeight::medium),
        texts({label(text(localizationKey("disconnected_display")), uiFont(13),
                     TavriluxTheme::primaryText),
               key}));
}

// Fills `card` with one row per item and dividers between them, or with the empty state.
template <typename Item, typename MakeRow, typename Remove>
void fill(SettingsGroupCard* card, const std::vector<Item>& items, MakeRow makeRow, Remove remove,
          std::string_view emptyTitle, std::string_view emptyHint) {
    clear(card);
    if (items.empty()) {
        card->addWidget(emptyState(emptyTitle, emptyHint));
        return;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            card->addDivider(kRowDividerInset);
        }
        ExclusionListRow* row = makeRow(items[i]);
        QObject::connect(row, &ExclusionListRow::removeRequested, card,
                         [remove, key = items[i].key] { remove(key); });
        card->addWidget(row);
    }
}

} // namespace

ExclusionsTab::ExclusionsTab(const UiContext& context, const ApplicationDirectory& applications,
                             QWidget* parent)
    : QWidget(parent), context_(context), applications_(applications) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    appsCard_ = addSection(column, localizationKey("excluded_apps_section"),
                           localizationKey("excluded_apps_subtitle"));
    displaysCard_ = addSection(column, localizationKey("excluded_displays_section"),
                               localizationKey("excluded_displays_subtitle"));
    observer_.watch(context.settings);
    observer_.refreshNow();
}

void ExclusionsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Applications may have been installed or removed while it was hidden.
    observer_.refreshNow();
}

void ExclusionsTab::refresh() {
    if (built_ && !isVisible()) {
        return; // caught up in showEvent
    }
    auto apps = excludedApps(context_.settings.excludedBundleIDs, applications_);
    if (!built_ || apps != apps_) {
        apps_ = std::move(apps);
        fillApps();
    }
    auto displays = excludedDisplays(context_.settings.excludedDisplayUUIDs, context_.screens);
    if (!built_ || displays != displays_) {
        displays_ = std::move(displays);
        fillDisplays();
    }
    built_ = true;
}

void ExclusionsTab::fillApps() {
    DimmingSettings& settings = context_.settings;
    fill(
        appsCard_, apps_, appRow,
        [&settings](const std::string& key) { settings.removeExclusion(key); },
        localizationKey("no_excluded_apps"), localizationKey("no_excluded_apps_hint"));
}

void ExclusionsTab::fillDisplays() {
    DimmingSettings& settings = context_.settings;
    fill(
        displaysCard_, displays_, displayRow,
        [&settings](const std::string& key) { settings.removeDisplayExclusion(key); },
        localizationKey("no_excluded_displays"), localizationKey("no_excluded_displays_hint"));
}

} // namespace tavrilux::ui
