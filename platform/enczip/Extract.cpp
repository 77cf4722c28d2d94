#include "install/enczip/Extract.h"

#include "Extraction.h"
#include "ZipStructure.h"

namespace install::enczip {

std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination) {
    return extract(archive, destination, ExtractOptions{});
}

std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination,
                                 const ExtractOptions& options) {
    return Extraction(archive, destination, options).run();
}

std::uint64_t unpackedSize(const std::string& archive) { return ZipStructure::check(archive).unpackedBytes; }

}  // namespace install::enczip
