#pragma once

#include "core/platform/GlobalClickMonitor.h"

#include <QObject>

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrilux {

// Whether a press that the global click monitor reports was a press in one of this application's
// windows. The monitor hears of a press on a connection of its own, so the toolkit may have
// handled the same press, and what it led to, before the report comes: a button that hid its
// window (the onboarding's last one) leaves no window where the press was. So the presses our
// windows receive are noted by their time stamps, which the report carries too. A press none of
// them has received yet is judged by our windows as they stand now: nothing it causes has
// happened yet. Main thread only.
class OwnWindowPresses final : public QObject {
public:
    // Notes every press the application's windows receive from now on.
    OwnWindowPresses();
    ~OwnWindowPresses() override;

    bool contains(const GlobalClickMonitor::Press& press) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The monitor reports a press a moment after the toolkit saw it, a few at most in between.
    static constexpr std::size_t kKept = 16;

    std::array<std::uint32_t, kKept> received_{};
    std::size_t next_ = 0;
};

} // namespace tavrilux
