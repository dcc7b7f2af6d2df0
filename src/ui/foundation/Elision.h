#pragma once

#include <QFontMetricsF>
#include <QString>

#include <functional>

class QObject;

namespace tavrilux::ui {

// Cuts a line of text to a width with an ellipsis. Every screen cuts its texts through here, so
// that a text too long for its place can be caught (the tests watch for it in every language).
// Main thread only.
class Elision final {
public:
    // A text that did not fit: what it needed and what it was given, and who drew it.
    struct Cut {
        QString text;
        QString shown;
        qreal needed = 0;
        qreal width = 0;
        const QObject* owner = nullptr;
    };
    using Watcher = std::function<void(const Cut&)>;

    static QString elide(const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode,
                         qreal width, const QObject* owner);
    // Told of every text that elide() shortens; an empty watcher stops watching.
    static void setWatcher(Watcher watcher);
};

} // namespace tavrilux::ui
