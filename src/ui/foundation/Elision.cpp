#include "ui/foundation/Elision.h"

namespace tavrilux::ui {

namespace {
Elision::Watcher& watcher() {
    static Elision::Watcher watching;
    return watching;
}
} // namespace

QString Elision::elide(const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode,
                       qreal width, const QObject* owner) {
    QString shown = metrics.elidedText(text, mode, width);
    if (shown != text && watcher()) {
        watcher()(Cut{text, shown, metrics.horizontalAdvance(text), width, owner});
    }
    return shown;
}

void Elision::setWatcher(Watcher watching) {
    watcher() = std::move(watching);
}

} // namespace tavrilux::ui
