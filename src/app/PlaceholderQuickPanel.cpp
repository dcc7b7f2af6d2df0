#include "app/PlaceholderQuickPanel.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrilux {

std::unique_ptr<QWidget> makePlaceholderQuickPanel(const ui::UiContext& context,
                                                   QuickPanelActions actions) {
    auto panel = std::make_unique<QWidget>();
    panel->setAutoFillBackground(true);
    panel->setFixedWidth(320);
    auto* layout = new QVBoxLayout(panel.get());
    layout->setContentsMargins(14, 16, 14, 8);
    auto* title = new QLabel(QString::fromStdString(L("app_name")));
    title->setStyleSheet(QStringLiteral("font-weight: 600; font-size: 15px;"));
    layout->addWidget(title);
    auto* enabled = new QCheckBox(QString::fromStdString(L("tavrilux_is_active")));
    enabled->setChecked(context.settings.isEnabled.get());
    QObject::connect(enabled, &QCheckBox::toggled,
                     [&settings = context.settings](bool on) { settings.setIsEnabled(on); });
    layout->addWidget(enabled);
    auto* settings = new QPushButton(QString::fromStdString(L("settings")));
    QObject::connect(settings, &QPushButton::clicked, [actions] { actions.openSettings(); });
    layout->addWidget(settings);
    return panel;
}

} // namespace tavrilux
