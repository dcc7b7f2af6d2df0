#include "ui/quickpanel/AppExclusionRow.h"

#include "core/localization/LocalizationManager.h"
#include "core/settings/DimmingSettings.h"
#include "ui/foundation/Symbols.h"
#include "ui/quickpanel/BadgedIcon.h"
#include "ui/quickpanel/ExclusionRow.h"

#include <QHash>
#include <QImageReader>
#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
constexpr int kIconPixels = 64;
} // namespace

QImage AppExclusionRow::applicationIcon(const QString& path) {
    static QHash<QString, QImage> icons;
    if (path.isEmpty()) {
        return QImage();
    }
    auto it = icons.find(path);
    if (it == icons.end()) {
        QImageReader reader(path);
        const QSize natural = reader.size();
        // Vector icons are drawn at the size asked for; large bitmaps are decoded smaller.
        if (natural.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            reader.setScaledSize(natural.scaled(kIconPixels, kIconPixels, Qt::KeepAspectRatio));
        }
        QImage image = reader.read();
        if (!image.isNull() && (image.width() > kIconPixels || image.height() > kIconPixels)) {
            image = image.scaled(kIconPixels, kIconPixels, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        }
        it = icons.insert(path, image);
    }
    return *it;
}

AppExclusionRow::AppExclusionRow(const UiContext& context, QWidget* parent)
    : QWidget(parent), settings_(context.settings), row_(new ExclusionRow),
      observer_([this] { refresh(); }, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(row_);
    connect(row_, &QAbstractButton::clicked, this, &AppExclusionRow::toggle);
    observer_.watch(settings_);
    observer_.refreshNow();
}

void AppExclusionRow::toggle() {
    const auto& app = settings_.frontmostApp.get();
    if (app && app->bundleIdentifier) {
        settings_.toggleExclusion(*app->bundleIdentifier);
    }
}

void AppExclusionRow::refresh() {
    const auto& app = settings_.frontmostApp.get();
    const bool available = app && app->bundleIdentifier;
    const bool excluded =
        available && settings_.excludedBundleIDs.get().count(*app->bundleIdentifier) != 0;
    const QString name = app && !app->localizedName.empty()
                             ? QString::fromStdString(app->localizedName)
                             : QStringLiteral("—");
    const QString label = QString::fromStdString(L("exclude_current_app"));
    row_->setContent(name, label, label, excluded, available);
    const QImage icon = app ? applicationIcon(QString::fromStdString(app->iconPath)) : QImage();
    if (!icon.isNull()) {
        row_->icon()->setImage(icon);
    } else {
        row_->icon()->setSymbol(symbolName("app.dashed"), 26, FontWeight::regular);
    }
}

} // namespace tavrilux::ui
