#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "install/productidentifier/ProductCatalogue.h"

namespace velora::installer {

// The product catalogue of a run. Every part of the run that asks about products (the pages, the
// repository of archives, the engine) is given this one, so the checksums the engine verifies
// the archives against come from the catalogue the user chose: the file named on the command
// line or in the answers file, else "catalogue.json" in the packages root, else the catalogue
// beside the installer, which carries no checksums.
struct ProductCatalogueChoice {
    std::filesystem::path file;
    std::shared_ptr<const install::productidentifier::ProductCatalogue> catalogue;

    static constexpr const char* kPackagesCatalogueName = "catalogue.json";

    // Throws CatalogueUnusableError, naming the file, when the chosen one cannot be read or is not
    // a catalogue: a broken catalogue is never passed over for another.
    static ProductCatalogueChoice choose(const std::filesystem::path& given,
                                         const std::filesystem::path& packagesRoot);
};

class CatalogueUnusableError : public std::runtime_error {
public:
    CatalogueUnusableError(const std::string& message, bool givenByUser)
        : std::runtime_error(message), givenByUser_(givenByUser) {}
    // The user named the file, so the command line or answers file is what to correct.
    bool wasGivenByUser() const { return givenByUser_; }

private:
    bool givenByUser_;
};

}  // namespace velora::installer
