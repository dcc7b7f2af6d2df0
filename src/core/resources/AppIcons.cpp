#include "core/resources/AppIcons.h"

namespace tavrilux {

const std::optional<AppIconImage>& AppIconCache::appIcon() const {
    std::call_once(once_, [this] {
        if (bundle_) {
            if (auto data = bundle_->readFile(kResourceName)) {
                icon_ = AppIconImage::fromPng(std::move(*data));
            }
        }
    });
    return icon_;
}

const std::optional<AppIconImage>& AppIcons::appIcon() {
    static const AppIconCache cache(ResourceBundle::shared());
    return cache.appIcon();
}

} // namespace tavrilux
