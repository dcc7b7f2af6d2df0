#include "ui/settings/AboutPanelView.h"

#include "core/localization/LocalizationManager.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/BrandMark.h"
#include "ui/components/TextLabel.h"
#include "ui/components/VisualEffectBlur.h"
#include "ui/foundation/Fonts.h"
#include "ui/settings/VersionText.h"

#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
TextLabel* centred(std::string_view key, const QFont& font, const ThemeColor& colour) {
    auto* label = new TextLabel(QString::fromStdString(L(key)), font, UiColor::theme(colour));
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

AboutPanelView::AboutPanelView(const std::optional<std::string>& version, QWidget* parent)
    : QWidget(parent) {
    setFixedWidth(kWidth);
    auto* material = new VisualEffectBlur(VisualEffectBlur::Material::hudWindow,
                                          VisualEffectBlur::BlendingMode::behindWindow, false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(material);

    auto* column = new QVBoxLayout(material);
    column->setContentsMargins(32, 32, 32, 32);
    column->setSpacing(14);
    column->addWidget(new BrandMark(64), 0, Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(centred(localizationKey("app_name"), uiFont(18, FontWeight::bold),
                             TavriluxTheme::primaryText));
    texts->addWidget(
        centred(localizationKey("focus_dimmer"), uiFont(12), TavriluxTheme::secondaryText));
    texts->addSpacing(2);
    auto* versionLine = new TextLabel(versionText(version), uiFont(11),
                                      UiColor::theme(TavriluxTheme::secondaryText, 0.7));
    versionLine->setAlignment(Qt::AlignCenter);
    texts->addWidget(versionLine);
    column->addLayout(texts);
}

} // namespace tavrilux::ui
