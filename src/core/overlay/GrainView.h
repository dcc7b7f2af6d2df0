#pragma once

#include "core/animation/AnimationHost.h"
#include "core/animation/Layer.h"

#include <array>
#include <cstdint>
#include <memory>

namespace tavrilux {

// A 128 x 128 tile of white pixels whose alpha is random.
struct NoiseTile final {
    static constexpr int kSize = 128;
    std::array<std::uint8_t, kSize * kSize> alpha{};
};

// The grain texture: the noise tile repeated over the view. Its visibility is its layer's
// opacity, which the overlay view keeps at 0.15 or below.
class GrainView final {
public:
    explicit GrainView(std::shared_ptr<AnimationHost> host) : layer_(std::move(host)) {}

    // Made once per process, on first use.
    static const NoiseTile& noiseTile();

    Layer& layer() { return layer_; }
    const Layer& layer() const { return layer_; }

private:
    static NoiseTile makeNoiseTile();
    Layer layer_;
};

} // namespace tavrilux
