#include "app/ApplicationActivation.h"

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
