#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace install::platformutil {

// Linux has no registry; installations are recorded in small files instead, one per key, below
// "<config>/velora-installer/registry/<key root>/<key parts>/<sub-root>". Key parts are split at
// backslashes and slashes, so Windows-style keys map onto nested folders.
class ApplicationRegistry {
public:
    explicit ApplicationRegistry(std::filesystem::path root);
    static ApplicationRegistry forCurrentUser();

    // Nothing when no installation is recorded or the key is empty.
    std::optional<std::u16string> find(const std::u16string& keyRoot, const std::u16string& subRoot,
                                       const std::u16string& key) const;
    // An empty folder removes the record.
    void record(const std::u16string& keyRoot, const std::u16string& subRoot, const std::u16string& key,
                const std::u16string& folder) const;

private:
    std::optional<std::filesystem::path> entryFile(const std::u16string& keyRoot,
                                                   const std::u16string& subRoot,
                                                   const std::u16string& key) const;

    std::filesystem::path root_;
};

}  // namespace install::platformutil
