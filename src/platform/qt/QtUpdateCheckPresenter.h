#pragma once

#include "core/services/UpdateCheckPresenter.h"

#include <QMessageBox>
#include <QPointer>

namespace tavrilux::qt {

// Tells the outcome of a check the user asked for in a small message window. A newer outcome
// replaces a window that is still open. The window does not block the event loop.
class QtUpdateCheckPresenter final : public UpdateCheckPresenter {
public:
    QtUpdateCheckPresenter() = default;
    ~QtUpdateCheckPresenter() override;

    void present(const UpdateCheckOutcome& outcome) override;

    // The open window, if any (for tests).
    QMessageBox* window() const { return box_.data(); }

private:
    QPointer<QMessageBox> box_;
};

} // namespace tavrilux::qt
