// Writing the generated products as a loopback repository's files and index.
#include "SampleRepository.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "bench/install/SampleArchives.h"

namespace fs = std::filesystem;

namespace velora::bench {

std::string SampleRepository::archivePath(const GeneratedProduct& product) {
    return std::string("archives/") + kRelease + "/" + product.baseCode + ".enc";
}

void SampleRepository::write(const fs::path& root, const std::vector<GeneratedProduct>& products,
                             const fs::path& catalogueFile) {
    fs::create_directories(root / "archives" / kRelease);
    fs::create_directories(root / "index" / kRelease / kStatus);
    std::ifstream catalogueStream(catalogueFile);
    const auto catalogue = nlohmann::json::parse(catalogueStream);
    nlohmann::json entries = nlohmann::json::array();
    for (const GeneratedProduct& product : products) {
        // A link where the file system allows one (the archives may be kept on another).
        std::error_code notLinked;
        fs::create_hard_link(product.archive, root / archivePath(product), notLinked);
        if (notLinked) fs::copy_file(product.archive, root / archivePath(product));
        nlohmann::json dependencies = nlohmann::json::array();
        for (const auto& entry : catalogue.at("products"))
            if (entry.at("baseCode") == product.baseCode) dependencies = entry.at("dependencies");
        entries.push_back(
            {{"baseCode", product.baseCode},
             {"name", product.name},
             {"version", std::string(kRelease) + ".0"},
             {"updateLevel", 0},
             {"dependencies", dependencies},
             {"additionalLanguages", nlohmann::json::array()},
             {"installSize", product.unpackedBytes},
             {"archive",
              {{"url", archivePath(product)}, {"size", product.archiveBytes}, {"sha256", product.sha256}}}});
    }
    std::ofstream(root / "index" / kRelease / kStatus / (std::string(kPlatform) + ".json"))
        << nlohmann::json{{"formatVersion", 1},       {"releaseFamily", kRelease},
                          {"releaseStatus", kStatus}, {"platform", kPlatform},
                          {"products", entries},      {"installers", nlohmann::json::array()}}
               .dump(2);
}

void SampleRepository::writeReleaseInfo(const fs::path& folder) {
    std::ofstream(folder / "VersionInfo.xml")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VersionInfo><Release>" << kRelease
        << "</Release><ReleaseStatus>" << kStatus
        << "</ReleaseStatus><UpdateLevel>0</UpdateLevel><Version>1.0.0</Version></VersionInfo>\n";
}

}  // namespace velora::bench
