#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"

namespace install::engine {

struct InstalledProductEntry {
    std::u16string baseCode;
    std::u16string name;
    std::u16string productFamily;
};

// The installation record the engine keeps in every installation folder: the release it belongs
// to and the products installed there. Stored as JSON in "installed_products.json":
//
//   { "formatVersion": 1, "releaseFamily": "R2025a", "releaseStatus": "Release",
//     "updateLevel": 2,
//     "products": [ { "baseCode": "VELORA", "name": "Velora", "family": "Velora" } ] }
class COMPONENT_API InstallationManifest {
public:
    static constexpr const char* kFileName = "installed_products.json";
    static constexpr std::int32_t kFormatVersion = 1;

    static std::filesystem::path fileIn(const std::filesystem::path& folder);
    // Nothing when the folder holds no record (or does not exist); throws
    // InstallationManifestException when the record cannot be read or is not one.
    static std::optional<InstallationManifest> readFrom(const std::filesystem::path& folder);
    // Replaces the record in the folder as a whole (written aside, then renamed), so a reader
    // never sees half of it. Throws InstallationManifestException.
    void writeTo(const std::filesystem::path& folder) const;

    const std::u16string& getReleaseFamily() const;
    const std::u16string& getReleaseStatus() const;
    std::int32_t getUpdateLevel() const;
    void setRelease(std::u16string releaseFamily, std::u16string releaseStatus, std::int32_t updateLevel);

    // In the order they were added.
    const std::vector<InstalledProductEntry>& getProducts() const;
    // Replaces the entry of the same base code, if any, in place.
    void addProduct(InstalledProductEntry product);
    // False when no such product was recorded.
    bool removeProduct(const std::u16string& baseCode);

private:
    std::u16string releaseFamily_;
    std::u16string releaseStatus_;
    std::int32_t updateLevel_ = 0;
    std::vector<InstalledProductEntry> products_;
};

class COMPONENT_API InstallationManifestException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~InstallationManifestException() override;
};

}  // namespace install::engine
