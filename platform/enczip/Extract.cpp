#include "install/enczip/Extract.h"

#include "Extraction.h"

namespace install::enczip {

std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination) {
    return extract(archive, destination, ExtractOptions{});
}

std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination,
                                 const ExtractOptions& options) {
    return Extraction(archive, destination, options).run();
}

}  // namespace install::enczip
