#pragma once

#include "core/resources/ResourceBundle.h"

#include <filesystem>

namespace tavrilux::linux_platform {

// A resource bundle that is a folder on disk. The list of languages is read once, when the
// bundle is opened; a missing folder is a bundle without anything in it.
class DirectoryResourceBundle final : public ResourceBundle {
public:
    explicit DirectoryResourceBundle(std::filesystem::path root);

    std::vector<std::string> localizations() const override { return localizations_; }
    bool exists(const std::string& relativePath) const override;
    std::optional<std::string> readFile(const std::string& relativePath) const override;
    std::string location() const override { return root_.string(); }

private:
    std::filesystem::path root_;
    std::vector<std::string> localizations_;
};

} // namespace tavrilux::linux_platform
