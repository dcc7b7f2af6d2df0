#include "core/animation/Layer.h"

#include <algorithm>

namespace tavrilux {

Layer::Layer(std::shared_ptr<AnimationHost> host)
    : host_(std::move(host)), state_(std::make_shared<State>()) {}

Layer::~Layer() {
    // Pending end tasks find the state gone and do nothing; completions are not run for a layer
    // that no longer exists.
    for (auto& attached : state_->animations) {
        attached.endTask.cancel();
    }
}

void Layer::setValue(const std::string& keyPath, AnimatableValue value) {
    state_->model[keyPath] = std::move(value);
    host_->markChanged();
}

std::optional<AnimatableValue> Layer::value(const std::string& keyPath) const {
    auto it = state_->model.find(keyPath);
    if (it == state_->model.end()) {
        return std::nullopt;
    }
    return it->second;
}

double Layer::doubleValue(const std::string& keyPath, double fallback) const {
    auto v = value(keyPath);
    const double* d = v ? std::get_if<double>(&*v) : nullptr;
    return d ? *d : fallback;
}

Rgba Layer::colorValue(const std::string& keyPath) const {
    auto v = value(keyPath);
    const Rgba* c = v ? std::get_if<Rgba>(&*v) : nullptr;
    return c ? *c : Rgba::clear();
}

std::optional<AnimatableValue> Layer::presentationValue(const std::string& keyPath) const {
    std::optional<AnimatableValue> result = value(keyPath);
    const Seconds now = host_->now();
    for (const auto& attached : state_->animations) {
        const BasicAnimation& a = attached.animation;
        if (a.keyPath != keyPath) {
            continue;
        }
        const Seconds begin = *a.beginTime;
        const AnimatableValue& from = *a.fromValue;
        if (now < begin) {
            if (a.fillMode == FillMode::backwards || a.fillMode == FillMode::both) {
                result = from;
            }
            continue;
        }
        if (a.duration.count() <= 0.0 || now >= begin + a.duration) {
            if (a.fillMode == FillMode::forwards || a.fillMode == FillMode::both) {
                result = a.toValue;
            }
            continue;
        }
        const double elapsed = (now - begin) / a.duration;
        result = interpolate(from, a.toValue, a.timingFunction.valueAt(elapsed));
    }
    return result;
}

double Layer::presentationDouble(const std::string& keyPath, double fallback) const {
    auto v = presentationValue(keyPath);
    const double* d = v ? std::get_if<double>(&*v) : nullptr;
    return d ? *d : fallback;
}

Rgba Layer::presentationColor(const std::string& keyPath) const {
    auto v = presentationValue(keyPath);
    const Rgba* c = v ? std::get_if<Rgba>(&*v) : nullptr;
    return c ? *c : Rgba::clear();
}

void Layer::addAnimation(BasicAnimation animation, const std::string& key) {
    // The start value is what shows now, before the animation it replaces is taken away.
    if (!animation.fromValue) {
        animation.fromValue =
            presentationValue(animation.keyPath).value_or(AnimatableValue{animation.toValue});
    }
    auto existing = std::find_if(state_->animations.begin(), state_->animations.end(),
                                 [&](const Attached& a) { return a.key == key; });
    if (existing != state_->animations.end()) {
        detach(existing, false);
    }
    const Seconds now = host_->now();
    if (!animation.beginTime) {
        animation.beginTime = now;
    }
    const std::uint64_t serial = state_->nextSerial++;
    const Seconds end = *animation.beginTime + std::max(animation.duration, Seconds{0.0});
    std::weak_ptr<State> weakState = state_;
    auto host = host_;
    TaskHandle endTask = host_->queue().postAfter(
        end - now, [weakState, host, serial] { finish(weakState, host, serial); });
    state_->animations.push_back(Attached{key, std::move(animation), serial, endTask});
    host_->markChanged();
}

void Layer::finish(const std::weak_ptr<State>& weakState,
                   const std::shared_ptr<AnimationHost>& host, std::uint64_t serial) {
    auto state = weakState.lock();
    if (!state) {
        return;
    }
    auto it = std::find_if(state->animations.begin(), state->animations.end(),
                           [&](const Attached& a) { return a.serial == serial; });
    if (it == state->animations.end()) {
        return;
    }
    auto completion = std::move(it->animation.completion);
    state->animations.erase(it);
    host->markChanged();
    if (completion) {
        completion(true);
    }
}

void Layer::detach(std::vector<Attached>::iterator it, bool finished) {
    it->endTask.cancel();
    auto completion = std::move(it->animation.completion);
    state_->animations.erase(it);
    if (completion) {
        host_->queue().post(
            [completion = std::move(completion), finished] { completion(finished); });
    }
    host_->markChanged();
}

void Layer::removeAnimation(const std::string& key) {
    auto it = std::find_if(state_->animations.begin(), state_->animations.end(),
                           [&](const Attached& a) { return a.key == key; });
    if (it != state_->animations.end()) {
        detach(it, false);
    }
}

void Layer::removeAllAnimations() {
    while (!state_->animations.empty()) {
        detach(state_->animations.begin(), false);
    }
}

const BasicAnimation* Layer::animation(const std::string& key) const {
    for (const auto& attached : state_->animations) {
        if (attached.key == key) {
            return &attached.animation;
        }
    }
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    for (const auto& attached : state_->animations) {
        keys.push_back(attached.key);
    }
    return keys;
}

bool Layer::hasAnimations() const {
    return !state_->animations.empty();
}

void Layer::setHidden(bool hidden) {
    if (hidden_ != hidden) {
        hidden_ = hidden;
        host_->markChanged();
    }
}

} // namespace tavrilux
