#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velora::bench {

// One product of the generated set: what its archive holds and where it lies.
struct GeneratedProduct {
    std::string baseCode;
    std::string name;
    std::filesystem::path archive;
    std::uint64_t archiveBytes = 0;
    std::uint64_t unpackedBytes = 0;
    std::uint64_t files = 0;
    std::string sha256;  // of the archive, lower-case hexadecimal
};

// A folder of product archives shaped like a real release, written at run time: a controlling
// product with many compressible text files, large binaries that do not compress, a data
// product of medium-sized files, documentation of many small files, and a shared component in
// the "common" folder. `scale` multiplies every file count (1.0 gives somewhat over 200 MB of
// archives).
class SampleArchives {
public:
    static std::vector<GeneratedProduct> write(const std::filesystem::path& packagesRoot, double scale);

    // A product catalogue for the generated products, in the installer's catalogue format.
    static void writeCatalogue(const std::filesystem::path& file,
                               const std::vector<GeneratedProduct>& products);
    // What write() returned, kept beside the archives for a later program.
    static void writeManifest(const std::filesystem::path& file,
                              const std::vector<GeneratedProduct>& products);
    static std::vector<GeneratedProduct> readManifest(const std::filesystem::path& file);
    // Lower-case hexadecimal, as the catalogue gives archive checksums.
    static std::string sha256Of(const std::filesystem::path& file);
};

}  // namespace velora::bench
