#pragma once

#include "core/animation/AnimatableValue.h"
#include "core/animation/AnimationHost.h"
#include "core/animation/BasicAnimation.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux {

// A set of named property values (the model) with animations attached under keys.
//
// - Adding an animation under a key removes the animation that key held. An animation without a
//   start value starts from the property's presentation value at that moment.
// - The presentation value of a property is its model value with every attached animation of that
//   property applied at the host's current time, later animations over earlier ones.
// - An animation is detached when it ends, in a main-queue task that then runs its completion
//   with true; one removed before its end runs its completion with false, also as a task.
// - Every change of a value or of the attached animations is reported to the host.
class Layer final {
public:
    explicit Layer(std::shared_ptr<AnimationHost> host);
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    void setValue(const std::string& keyPath, AnimatableValue value);
    // The model value; none when the property was never set.
    std::optional<AnimatableValue> value(const std::string& keyPath) const;
    double doubleValue(const std::string& keyPath, double fallback = 0.0) const;
    Rgba colorValue(const std::string& keyPath) const;

    std::optional<AnimatableValue> presentationValue(const std::string& keyPath) const;
    double presentationDouble(const std::string& keyPath, double fallback = 0.0) const;
    Rgba presentationColor(const std::string& keyPath) const;

    void addAnimation(BasicAnimation animation, const std::string& key);
    void removeAnimation(const std::string& key);
    void removeAllAnimations();
    const BasicAnimation* animation(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    bool hasAnimations() const;

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

    const std::shared_ptr<AnimationHost>& host() const { return host_; }

private:
    struct Attached {
        std::string key;
        BasicAnimation animation; // start value and begin time resolved
        std::uint64_t serial;
        TaskHandle endTask;
    };
    struct State {
        std::map<std::string, AnimatableValue> model;
        std::vector<Attached> animations;
        std::uint64_t nextSerial = 1;
    };

    void detach(std::vector<Attached>::iterator it, bool finished);
    static void finish(const std::weak_ptr<State>& weakState,
                       const std::shared_ptr<AnimationHost>& host, std::uint64_t serial);

    std::shared_ptr<AnimationHost> host_;
    std::shared_ptr<State> state_;
    bool hidden_ = false;
};

} // namespace tavrilux
