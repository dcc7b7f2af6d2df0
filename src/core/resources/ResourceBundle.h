#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrilux {

// The application's read-only resource bundle: one folder per language ("<code>.lproj") holding
// the string table, plus the application icon.
//
// Contract:
// - Paths are relative to the bundle's root, '/'-separated, and never leave the bundle; a path
//   with an empty, "." or ".." component names nothing.
// - localizations() lists the language codes of the "<code>.lproj" folders, sorted, without the
//   extension; empty when the bundle has none or is missing.
// - exists() is true when a file or folder lies at the path.
// - readFile() returns the file's bytes, or nothing when it is missing or unreadable.
// - The contents do not change while the process runs, so callers may cache what they read.
class ResourceBundle {
public:
    ResourceBundle() = default;
    virtual ~ResourceBundle() = default;
    ResourceBundle(const ResourceBundle&) = delete;
    ResourceBundle& operator=(const ResourceBundle&) = delete;

    virtual std::vector<std::string> localizations() const = 0;
    virtual bool exists(const std::string& relativePath) const = 0;
    virtual std::optional<std::string> readFile(const std::string& relativePath) const = 0;
    // Where the bundle lives, for messages.
    virtual std::string location() const = 0;

    static constexpr const char* kBundleName = "Tavrilux_Tavrilux.bundle";

    // True when every component of the path is a plain name (see the contract).
    static bool isSafeRelativePath(const std::string& relativePath);

    // The process-wide bundle; an empty one until the composition root installs the real one.
    static std::shared_ptr<const ResourceBundle> shared();
    static void installShared(std::shared_ptr<const ResourceBundle> bundle);
};

// A bundle with nothing in it: every text shows its key and there is no icon.
class EmptyResourceBundle final : public ResourceBundle {
public:
    std::vector<std::string> localizations() const override { return {}; }
    bool exists(const std::string&) const override { return false; }
    std::optional<std::string> readFile(const std::string&) const override { return std::nullopt; }
    std::string location() const override { return "(no resource bundle)"; }
};

} // namespace tavrilux
