#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tavrilux {

// Stored by raw value; construction from a raw value is exact and case-sensitive.

enum class EffectMode { ambient, aura, fullscreen };
enum class FocusMode { focus, flow, evening, custom };
enum class MultiScreenFocusMode { perScreen, activeScreenOnly };

inline constexpr std::array<EffectMode, 3> kAllEffectModes{EffectMode::ambient, EffectMode::aura,
                                                           EffectMode::fullscreen};
inline constexpr std::array<FocusMode, 4> kAllFocusModes{FocusMode::focus, FocusMode::flow,
                                                         FocusMode::evening, FocusMode::custom};
inline constexpr std::array<MultiScreenFocusMode, 2> kAllMultiScreenFocusModes{
    MultiScreenFocusMode::perScreen, MultiScreenFocusMode::activeScreenOnly};

constexpr std::string_view rawValue(EffectMode mode) {
    switch (mode) {
    case EffectMode::ambient:
        return "ambient";
    case EffectMode::aura:
        return "aura";
    case EffectMode::fullscreen:
        return "fullscreen";
    }
    return "fullscreen";
}

constexpr std::string_view rawValue(FocusMode mode) {
    switch (mode) {
    case FocusMode::focus:
        return "focus";
    case FocusMode::flow:
        return "flow";
    case FocusMode::evening:
        return "evening";
    case FocusMode::custom:
        return "custom";
    }
    return "custom";
}

constexpr std::string_view rawValue(MultiScreenFocusMode mode) {
    return mode == MultiScreenFocusMode::activeScreenOnly ? "activeScreenOnly" : "perScreen";
}

template <typename Enum> constexpr std::optional<Enum> enumFromRaw(std::string_view raw);

template <> constexpr std::optional<EffectMode> enumFromRaw<EffectMode>(std::string_view raw) {
    for (auto mode : kAllEffectModes) {
        if (rawValue(mode) == raw) {
            return mode;
        }
    }
    return std::nullopt;
}

template <> constexpr std::optional<FocusMode> enumFromRaw<FocusMode>(std::string_view raw) {
    for (auto mode : kAllFocusModes) {
        if (rawValue(mode) == raw) {
            return mode;
        }
    }
    return std::nullopt;
}

template <>
constexpr std::optional<MultiScreenFocusMode>
enumFromRaw<MultiScreenFocusMode>(std::string_view raw) {
    for (auto mode : kAllMultiScreenFocusModes) {
        if (rawValue(mode) == raw) {
            return mode;
        }
    }
    return std::nullopt;
}

} // namespace tavrilux
