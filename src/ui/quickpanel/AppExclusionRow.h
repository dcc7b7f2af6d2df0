#pragma once

#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace tavrilux::ui {

class ExclusionRow;

// Excludes the front application (the one the user works in; the panel never takes its place)
// or lets it back in: its name and icon, and a click that toggles its application key. Without a
// front application, or one without a key, the row reads "—" and does nothing.
class AppExclusionRow final : public QWidget {
    Q_OBJECT
public:
    explicit AppExclusionRow(const UiContext& context, QWidget* parent = nullptr);

    ExclusionRow* row() const { return row_; }

    // An application's icon file as a 64-pixel square (sharp at twice the row's size); null when
    // it cannot be read. Each file is read once per process.
    static QImage applicationIcon(const QString& path);

private:
    void refresh();
    void toggle();

    DimmingSettings& settings_;
    ExclusionRow* row_;
    ModelObserver observer_;
};

} // namespace tavrilux::ui
