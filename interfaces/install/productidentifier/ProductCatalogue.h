#pragma once

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/productdata/ProductRecord.h"

namespace install::productidentifier {

// The products this installer knows, read from a JSON file:
//
//   { "products": [ {
//       "baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true,
//       "dependencies": ["..."],
//       "relativePath": { "windows": "Velora", "linux": "velora", "macos": "Velora.app" },
//       "detectRunningExe": { "w64pc": "bin/win64/velora.exe", "l64pc": "bin/glnxa64/velora" },
//       "registry": { "keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\...", "subRoot": "..." },
//       "requiredForMacOSApp": false,
//       "archiveSha256": "<64 hexadecimal digits>" } ] }
//
// Only "baseCode" and "name" are required. Dependencies are not checked when reading: a
// dependency on an unknown product or a dependency cycle is kept as written, and every walk
// over dependencies tolerates both.
class COMPONENT_API ProductCatalogue {
public:
    // Throws ProductCatalogueException when the text is not a catalogue (bad JSON, wrong types,
    // missing or repeated base codes, unknown platform names, a malformed checksum).
    static ProductCatalogue fromJson(std::string_view text);
    static ProductCatalogue fromFile(const std::filesystem::path& file);

    explicit ProductCatalogue(std::vector<productdata::ProductRecord> products);

    // Null when the base code is unknown.
    const productdata::ProductRecord* find(const std::u16string& baseCode) const;
    // In catalogue order.
    const std::vector<productdata::ProductRecord>& getProducts() const;
    // The catalogue as fromJson() reads it back.
    std::string toJson() const;
    // Every product the base code needs, directly or through others, nearest first, each once;
    // the product itself never appears. A base code the catalogue does not know is listed but
    // not followed further.
    std::vector<std::u16string> getAllDependencies(const std::u16string& baseCode) const;

private:
    std::vector<productdata::ProductRecord> products_;
    std::map<std::u16string, std::size_t> index_;
};

class COMPONENT_API ProductCatalogueException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~ProductCatalogueException() override;
};

class COMPONENT_API UnknownProductException : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
    ~UnknownProductException() override;
};

}  // namespace install::productidentifier
