#pragma once

#include "core/focus/Identifiers.h"
#include "core/focus/ScreenFocusTarget.h"

#include <optional>
#include <utility>
#include <variant>

namespace tavrilux {

// What one display shows: everything dimmed but the focused application (`focusedWindow`), or
// the whole display dimmed above one window (`dimAll`). Equal when the same case carries equal
// payloads.
class ScreenOverlayPresentation final {
public:
    struct FocusedWindow {
        ScreenFocusTarget target;
        friend bool operator==(const FocusedWindow&, const FocusedWindow&) = default;
    };
    struct DimAll {
        WindowNumber aboveWindowNumber = 0;
        friend bool operator==(const DimAll&, const DimAll&) = default;
    };

    static ScreenOverlayPresentation focusedWindow(ScreenFocusTarget target) {
        return ScreenOverlayPresentation(FocusedWindow{std::move(target)});
    }
    static ScreenOverlayPresentation dimAll(WindowNumber aboveWindowNumber) {
        return ScreenOverlayPresentation(DimAll{aboveWindowNumber});
    }

    bool isFocusedWindow() const { return std::holds_alternative<FocusedWindow>(value_); }
    bool isDimAll() const { return std::holds_alternative<DimAll>(value_); }
    // The focused target, or null for `dimAll`.
    const ScreenFocusTarget* target() const {
        const auto* focused = std::get_if<FocusedWindow>(&value_);
        return focused != nullptr ? &focused->target : nullptr;
    }
    // The window a `dimAll` is ordered above; none for `focusedWindow`.
    std::optional<WindowNumber> aboveWindowNumber() const {
        const auto* dim = std::get_if<DimAll>(&value_);
        return dim != nullptr ? std::optional<WindowNumber>(dim->aboveWindowNumber) : std::nullopt;
    }
    const std::variant<FocusedWindow, DimAll>& value() const { return value_; }

    // Same family: both `dimAll` (any windows), or both `focusedWindow` of the same process (any
    // windows, frames or keys). A slot moves its overlay within a family and cross-fades across.
    bool isSameFamily(const ScreenOverlayPresentation& other) const {
        if (isDimAll() && other.isDimAll()) {
            return true;
        }
        const auto* mine = target();
        const auto* theirs = other.target();
        return mine != nullptr && theirs != nullptr && mine->ownerPID == theirs->ownerPID;
    }

    friend bool operator==(const ScreenOverlayPresentation&,
                           const ScreenOverlayPresentation&) = default;

private:
    explicit ScreenOverlayPresentation(std::variant<FocusedWindow, DimAll> value)
        : value_(std::move(value)) {}
    std::variant<FocusedWindow, DimAll> value_;
};

} // namespace tavrilux
