#include "core/defaults/DefaultsRegistry.h"

namespace tavrilux {

namespace {
std::unique_ptr<DefaultsRegistry>& sharedSlot() {
    static std::unique_ptr<DefaultsRegistry> slot;
    return slot;
}
} // namespace

DefaultsRegistry::DefaultsRegistry(StorageFactory factory) : factory_(std::move(factory)) {}

DefaultsRegistry::~DefaultsRegistry() {
    flushAll();
}

std::shared_ptr<UserDefaults> DefaultsRegistry::open(const std::string& name, bool memoryFallback) {
    std::lock_guard lock(mutex_);
    if (auto it = domains_.find(name); it != domains_.end()) {
        return it->second;
    }
    auto storage = factory_ ? factory_(name) : nullptr;
    if (!storage) {
        if (!memoryFallback) {
            return nullptr;
        }
        storage = std::make_unique<MemoryDomainStorage>();
    }
    auto defaults = std::make_shared<UserDefaults>(std::move(storage));
    domains_.emplace(name, defaults);
    return defaults;
}

std::shared_ptr<UserDefaults> DefaultsRegistry::suite(const std::string& name) {
    return open(name, false);
}

std::shared_ptr<UserDefaults> DefaultsRegistry::standard() {
    return open(kStandardDomain, true);
}

std::shared_ptr<UserDefaults> DefaultsRegistry::suiteOrStandard(const std::string& name) {
    if (auto defaults = suite(name)) {
        return defaults;
    }
    return standard();
}

void DefaultsRegistry::flushAll() {
    std::map<std::string, std::shared_ptr<UserDefaults>> domains;
    {
        std::lock_guard lock(mutex_);
        domains = domains_;
    }
    for (auto& [name, defaults] : domains) {
        defaults->flush();
    }
}

DefaultsRegistry& DefaultsRegistry::shared() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = std::make_unique<DefaultsRegistry>(nullptr);
    }
    return *slot;
}

void DefaultsRegistry::installShared(std::unique_ptr<DefaultsRegistry> registry) {
    sharedSlot() = std::move(registry);
}

} // namespace tavrilux
