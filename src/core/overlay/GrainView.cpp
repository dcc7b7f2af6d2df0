#include "core/overlay/GrainView.h"

#include <random>

namespace tavrilux {

const NoiseTile& GrainView::noiseTile() {
    static const NoiseTile tile = makeNoiseTile();
    return tile;
}

NoiseTile GrainView::makeNoiseTile() {
    NoiseTile tile;
    // A fixed seed: the grain looks the same on every run.
    std::mt19937 random(0x5eed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& a : tile.alpha) {
        a = static_cast<std::uint8_t>(byte(random));
    }
    return tile;
}

} // namespace tavrilux
