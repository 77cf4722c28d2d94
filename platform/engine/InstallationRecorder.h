#pragma once

#include <filesystem>

#include "InstallationManifest.h"
#include "install/productdata/ProductRecord.h"

namespace install::engine {

// Keeps the installation record of the folder a run installs into: each product is added and
// the record written as soon as the product is in place, so an interrupted or failed run still
// leaves a record of what it completed.
class InstallationRecorder {
public:
    // Reads the folder's record now, so that an unreadable one stops the run before anything is
    // unpacked (EngineInvalidInstalledProductsException). The release comes from the
    // "VersionInfo.xml" beside the running installer when there is one; otherwise an existing
    // record keeps its own.
    explicit InstallationRecorder(std::filesystem::path folder);

    // Throws EngineExtractOrRegisterException when the record cannot be written.
    void record(const productdata::ProductRecord& product);

private:
    std::filesystem::path folder_;
    InstallationManifest manifest_;
};

}  // namespace install::engine
