#include "install/enczip/Extract.h"

#include "Extraction.h"

namespace install::enczip {

void extract(const std::string& archive, const std::string& destination) {
    extract(archive, destination, ExtractOptions{});
}

void extract(const std::string& archive, const std::string& destination, const ExtractOptions& options) {
    Extraction(archive, destination, options).run();
}

}  // namespace install::enczip
