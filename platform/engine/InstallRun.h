#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/WorkflowType.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

class BackgroundArchiveCheck;
class DownloadFolder;
class InstallationRecorder;
class RunProgress;

struct InstallRequest {
    std::vector<std::u16string> products;
    std::filesystem::path folder;
    // Archives found here are used as they are, before asking the repository.
    std::filesystem::path archivesFolder;
    // Install: archives from the repository are fetched into a download folder first.
    // InstallFromFolder: they are unpacked where the repository keeps them.
    WorkflowType workflowType = WorkflowType::Install;
    std::shared_ptr<repository_adapter::RepositoryAdapter> repository;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue;
};

// One installation: every product's archive is located before anything is written, then each
// product is (fetched,) verified against the catalogue's checksum, unpacked into the folder and
// recorded, in the order asked. The user's cancel request is honoured between files.
class InstallRun {
public:
    explicit InstallRun(InstallRequest request);
    ~InstallRun();
    InstallRun(const InstallRun&) = delete;
    InstallRun& operator=(const InstallRun&) = delete;

    // Runs on a worker thread of its own, which publishes the progress, and returns when that
    // thread has ended; throws what the run threw (see EngineExceptions.h).
    void execute();

private:
    struct PlannedProduct {
        const productdata::ProductRecord* record;
        std::filesystem::path archive;
        bool fetch;
        std::uint64_t installBytes;
        std::uint64_t archiveBytes;
    };

    void work();
    std::vector<PlannedProduct> plan();
    PlannedProduct locate(const productdata::ProductRecord& record);
    std::uint64_t estimatedInstallBytes(const std::u16string& baseCode, const std::filesystem::path& archive);
    void install(const PlannedProduct& product, RunProgress& progress, InstallationRecorder& recorder);
    // The archive's copy in the run's download folder, checked against the catalogue.
    std::filesystem::path fetch(const PlannedProduct& product, RunProgress& progress);
    // Bytes written.
    std::uint64_t unpack(const PlannedProduct& product, const std::filesystem::path& archive,
                         BackgroundArchiveCheck* check, RunProgress& progress);

    InstallRequest request_;
    std::unique_ptr<repository_adapter::ProductMap> availableProducts_;
    std::unique_ptr<DownloadFolder> downloads_;
};

}  // namespace install::engine
