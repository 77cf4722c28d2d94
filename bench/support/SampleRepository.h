// The generated products laid out as an online repository of one release: the archives under
// "archives/<release>/" and the product index of one platform naming them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velora::bench {

struct GeneratedProduct;

class SampleRepository {
public:
    static constexpr const char* kRelease = "2025.1";
    static constexpr const char* kStatus = "Release";
    static constexpr const char* kPlatform = "l64pc";

    // The archives are hard links to the generated ones; the dependencies are those the
    // installer's catalogue gives.
    static void write(const std::filesystem::path& root, const std::vector<GeneratedProduct>& products,
                      const std::filesystem::path& catalogueFile);
    // The release the installer in `folder` offers ("VersionInfo.xml" beside it).
    static void writeReleaseInfo(const std::filesystem::path& folder);
    // The archive's address relative to the repository's base address.
    static std::string archivePath(const GeneratedProduct& product);
};

}  // namespace velora::bench
