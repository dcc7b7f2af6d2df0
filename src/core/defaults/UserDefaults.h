#pragma once

#include "core/defaults/DomainStorage.h"
#include "core/defaults/DomainText.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavrilux {

// One defaults domain: a typed key/value database held in memory and written to its storage off
// the calling thread.
//
// Values are Boolean, number, string or array. Reads apply the type rules: a Boolean is true/false
// or a number exactly 0 or 1; a number is anything exactly representable as a double; a string
// read also turns a stored number into its decimal text; an array of strings holds only strings.
// A value of another type, or one the reader cannot hold (see DomainText), reads as absent and
// stays stored until its key is written again; keys this program does not know are kept.
//
// Writes update memory at once and are written out coalesced, at most `coalesce` later; flush()
// waits until everything written so far is stored. A failed store is reported once on standard
// error and retried with the next write. Unreadable stored text is set aside before anything is
// written; when it cannot be set aside, nothing is ever written (the domain then lives in memory
// for this run). Safe to call from any thread.
class UserDefaults final {
public:
    explicit UserDefaults(std::unique_ptr<DomainStorage> storage,
                          std::chrono::milliseconds coalesce = std::chrono::milliseconds(100));
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // True when the key holds any value, of any type.
    bool hasValue(std::string_view key) const;
    std::optional<bool> boolValue(std::string_view key) const;
    std::optional<double> doubleValue(std::string_view key) const;
    std::optional<std::string> stringValue(std::string_view key) const;
    std::optional<std::vector<std::string>> stringArrayValue(std::string_view key) const;
    // The raw stored value, whatever its type.
    std::optional<nlohmann::json> object(std::string_view key) const;

    void setBool(std::string_view key, bool value);
    // A value that is not finite cannot be stored; the key then reads as absent.
    void setDouble(std::string_view key, double value);
    void setString(std::string_view key, std::string value);
    void setStringArray(std::string_view key, const std::vector<std::string>& value);
    void remove(std::string_view key);

    // Blocks until every write made before the call is stored, or storing it failed.
    void flush();
    // Number of completed store attempts; for tests that check coalescing.
    std::uint64_t storeCount() const;
    std::string location() const { return storage_->location(); }

private:
    void put(std::string_view key, nlohmann::json value);
    const nlohmann::json* find(std::string_view key) const;
    // Drops the key's member kept as written; true when there was one.
    bool dropKept(std::string_view key);
    void writerLoop();
    void ensureWriter();

    std::unique_ptr<DomainStorage> storage_;
    const std::chrono::milliseconds coalesce_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable stored_;
    DomainText::Content content_;
    std::uint64_t version_ = 0;       // bumped by every write
    std::uint64_t storedVersion_ = 0; // last version that went to storage (or failed to)
    std::uint64_t storeCount_ = 0;
    bool flushRequested_ = false;
    bool stopping_ = false;
    bool failureReported_ = false;
    bool unwritable_ = false; // the stored text could not be set aside
    std::thread writer_;
};

} // namespace tavrilux
