// A repository's product index, as the online repository reads it from the network: anything
// unusable is std::invalid_argument, and whatever is accepted names only files inside the
// repository, saved under plain names, with SHA-256 checksums.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

#include "FuzzSupport.h"
#include "RepositoryIndex.h"

using install::repository_adapter::IndexedFile;
using install::repository_adapter::RepositoryIndex;

namespace {

// Judged independently of the index's own rules: resolved below a repository folder, the address
// stays below it, and the checksum is hexadecimal.
bool insideTheRepository(const IndexedFile& file) {
    const std::string& url = file.url;
    const std::filesystem::path resolved = (std::filesystem::path("/repository") / url).lexically_normal();
    const bool hex = file.sha256.size() == 64 &&
                     std::all_of(file.sha256.begin(), file.sha256.end(),
                                 [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
    return !url.empty() && url.front() != '/' && url.find("://") == std::string::npos &&
           resolved.string().starts_with("/repository/") && hex;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RepositoryIndex index;
    try {
        index = RepositoryIndex::parse(std::string(velora::fuzz::text(data, size)));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    for (const auto& product : index.products)
        velora::fuzz::check(!product.baseCode.empty() && insideTheRepository(product.archive));
    for (const auto& installer : index.installers)
        velora::fuzz::check(insideTheRepository(installer.file) && !installer.name.empty() &&
                            installer.name.front() != '.' &&
                            installer.name.find_first_of("/\\") == std::string::npos);
    return 0;
}
