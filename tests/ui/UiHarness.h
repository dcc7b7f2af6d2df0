#pragma once

#include "core/defaults/DomainStorage.h"
#include "core/defaults/UserDefaults.h"
#include "core/localization/LocalizationManager.h"
#include "core/navigation/SettingsNavigation.h"
#include "core/services/UpdaterManager.h"
#include "core/settings/DimmingSettings.h"
#include "core/theme/TavriluxTheme.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeResourceBundle.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/UiContext.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QWidget>

#include <memory>
#include <string>

namespace tavrilux::ui::testing {

// The model every screen sees, over the fakes.
struct UiModel {
    static std::shared_ptr<UserDefaults> memoryDefaults() {
        return std::make_shared<UserDefaults>(std::make_unique<MemoryDomainStorage>());
    }

    fakes::FakeDesktop desktop;
    std::shared_ptr<UserDefaults> suite = memoryDefaults();
    std::shared_ptr<UserDefaults> standard = memoryDefaults();
    std::shared_ptr<DimmingSettings> settings = DimmingSettings::create(
        std::make_shared<SettingsStore>(suite), desktop.workspace, desktop.queue);
    UpdaterManager updater{BuildFlavor::development, nullptr};
    SettingsNavigation navigation;
    UiContext context{*settings, updater, navigation, LocalizationManager::shared(),
                      *standard, desktop, desktop};
};

// Makes the tables of `bundle` what L() looks up in, `language` preferred.
inline void installBundle(std::shared_ptr<fakes::FakeResourceBundle> bundle, std::string language) {
    LocalizationManager::installShared(std::make_unique<LocalizationManager>(
        UiModel::memoryDefaults(), std::move(bundle),
        [language] { return std::vector<std::string>{language}; }));
}

// Makes `table` (the text of an English strings file) what L() looks up in.
inline void installStrings(const std::string& table) {
    auto bundle = std::make_shared<fakes::FakeResourceBundle>();
    bundle->addTable("en", table);
    installBundle(bundle, "en");
}

inline const std::vector<std::string> kShippedLanguages{"en", "de", "fr", "es"};

// Installs the shipped tables with `language` preferred; false when one cannot be read.
inline bool installLanguage(const std::string& language) {
    auto bundle = std::make_shared<fakes::FakeResourceBundle>();
    bool read = true;
    for (const std::string& code : kShippedLanguages) {
        QFile file(QString::fromStdString(TAVRILUX_SOURCE_DIR
                                          "/resources/Tavrilux_Tavrilux.bundle/" +
                                          code + ".lproj/Localizable.strings"));
        read = file.open(QIODevice::ReadOnly) && read;
        bundle->addTable(code, file.readAll().toStdString());
    }
    installBundle(bundle, language);
    return read && LocalizationManager::shared().resolvedLanguage() == language;
}

inline std::vector<GlassColorSwatch> glassPalette() {
    const auto& swatches = TavriluxTheme::glassColorSwatches();
    return {swatches.begin(), swatches.end()};
}

// Runs the queued refreshes and repaints.
inline void settle() {
    QCoreApplication::processEvents();
}

// The widget as drawn in an appearance, on that appearance's window colour.
inline QImage render(QWidget& widget, Appearance appearance) {
    widget.setPalette(paletteFor(appearance));
    if (!widget.isVisible()) {
        // laid out and shown as in a window, without one
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }
    settle(); // layout requests of rows added after construction
    if (!widget.testAttribute(Qt::WA_Resized)) {
        widget.adjustSize();
    }
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(paletteFor(appearance).color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace tavrilux::ui::testing
