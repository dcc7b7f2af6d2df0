#include "app/ApplicationActivation.h"

#include <QWidget>

namespace tavrilux {

namespace {
ActivationPolicy& current() {
    static ActivationPolicy policy = ActivationPolicy::accessory;
    return policy;
}
} // namespace

ActivationPolicy ApplicationActivation::policy() {
    return current();
}

void ApplicationActivation::setPolicy(ActivationPolicy policy) {
    current() = policy;
}

} // namespace tavrilux

namespace tavrilux {

void ApplicationActivation::present(QWidget& window) {
    // A minimised window stays visible to Qt, so show() alone leaves it where it is.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tavrilux
