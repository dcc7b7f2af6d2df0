#pragma once

#include "core/resources/AppIconImage.h"
#include "core/resources/ResourceBundle.h"

#include <memory>
#include <mutex>
#include <optional>

namespace tavrilux {

// The application icon "AppIcon.png" of a resource bundle, read on first access and kept for the
// life of the holder, also when it is missing or is no image: the bundle is searched once.
class AppIconCache final {
public:
    static constexpr const char* kResourceName = "AppIcon.png";

    explicit AppIconCache(std::shared_ptr<const ResourceBundle> bundle)
        : bundle_(std::move(bundle)) {}

    const std::optional<AppIconImage>& appIcon() const;

private:
    std::shared_ptr<const ResourceBundle> bundle_;
    mutable std::once_flag once_;
    mutable std::optional<AppIconImage> icon_;
};

// The application's icon from the shared resource bundle, for the launch handler and the brand
// mark. Nothing when the bundle lacks it; callers then keep their own fallback.
class AppIcons final {
public:
    AppIcons() = delete;
    static const std::optional<AppIconImage>& appIcon();
};

} // namespace tavrilux
