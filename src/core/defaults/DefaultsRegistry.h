#pragma once

#include "core/defaults/DomainStorage.h"
#include "core/defaults/UserDefaults.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tavrilux {

// Hands out one shared UserDefaults per domain, so every store of a domain in this process sees
// the others' writes at once.
class DefaultsRegistry final {
public:
    // Returns the storage of a domain, or nullptr when the domain cannot be opened.
    using StorageFactory = std::function<std::unique_ptr<DomainStorage>(const std::string& domain)>;

    static constexpr const char* kStandardDomain = "standard";

    explicit DefaultsRegistry(StorageFactory factory);
    ~DefaultsRegistry();
    DefaultsRegistry(const DefaultsRegistry&) = delete;
    DefaultsRegistry& operator=(const DefaultsRegistry&) = delete;

    // The named suite, or nullptr when it cannot be opened (callers then use standard()).
    std::shared_ptr<UserDefaults> suite(const std::string& name);
    // The standard domain; kept only in memory when even it cannot be opened.
    std::shared_ptr<UserDefaults> standard();
    // The suite, or the standard domain when the suite cannot be opened.
    std::shared_ptr<UserDefaults> suiteOrStandard(const std::string& name);
    void flushAll();

    // The process-wide registry. Until the composition root installs one, domains live in memory.
    static DefaultsRegistry& shared();
    static void installShared(std::unique_ptr<DefaultsRegistry> registry);

private:
    std::shared_ptr<UserDefaults> open(const std::string& name, bool memoryFallback);

    StorageFactory factory_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<UserDefaults>> domains_;
};

} // namespace tavrilux
