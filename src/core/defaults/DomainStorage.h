#pragma once

#include "core/defaults/StoredText.h"

#include <string>

namespace tavrilux {

// Where one defaults domain is kept between runs.
//
// Contract:
// - load() returns the stored text, nothing when the domain has never been written, or why what
//   is stored cannot be read (a phrase that follows the location: "is not a regular file").
// - setAside() moves the stored text out of the way under a new name (never over an older one)
//   so that a later store() cannot destroy what the user had; it is called when the text is
//   unreadable. It returns false when the text stays where it is, with the reason in
//   lastError(); store() is then never called.
// - store() replaces the stored text as a whole: a reader sees the old text or the new one,
//   never a part. It returns false on failure, with the reason in lastError().
// - load() and setAside() are called before any store(); store() may be called from a worker
//   thread, but never concurrently with itself.
class DomainStorage {
public:
    DomainStorage() = default;
    virtual ~DomainStorage() = default;
    DomainStorage(const DomainStorage&) = delete;
    DomainStorage& operator=(const DomainStorage&) = delete;

    virtual StoredText load() = 0;
    virtual bool setAside() = 0;
    virtual bool store(const std::string& text) = 0;
    virtual std::string lastError() const = 0;
    // Where the domain lives, for messages.
    virtual std::string location() const = 0;
};

// Keeps nothing: the domain lives only as long as the process.
class MemoryDomainStorage final : public DomainStorage {
public:
    StoredText load() override { return {}; }
    bool setAside() override { return true; }
    bool store(const std::string&) override { return true; }
    std::string lastError() const override { return {}; }
    std::string location() const override { return "memory"; }
};

} // namespace tavrilux
