#include "core/resources/ResourceBundle.h"

#include <algorithm>
#include <mutex>
#include <string_view>

namespace tavrilux {

namespace {
std::mutex& sharedMutex() {
    static std::mutex mutex;
    return mutex;
}
std::shared_ptr<const ResourceBundle>& sharedSlot() {
    static std::shared_ptr<const ResourceBundle> slot;
    return slot;
}
} // namespace

bool ResourceBundle::isSafeRelativePath(const std::string& relativePath) {
    if (relativePath.empty() || relativePath.find('\0') != std::string::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= relativePath.size()) {
        const std::size_t end = std::min(relativePath.find('/', start), relativePath.size());
        const std::string_view part(relativePath.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::shared_ptr<const ResourceBundle> ResourceBundle::shared() {
    std::lock_guard lock(sharedMutex());
    auto& slot = sharedSlot();
    if (!slot) {
        slot = std::make_shared<EmptyResourceBundle>();
    }
    return slot;
}

void ResourceBundle::installShared(std::shared_ptr<const ResourceBundle> bundle) {
    std::lock_guard lock(sharedMutex());
    sharedSlot() = std::move(bundle);
}

} // namespace tavrilux
