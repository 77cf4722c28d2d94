#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveDownload.h"
#include "ConfinedFolder.h"
#include "install/enczip/Extract.h"
#include "install/engine/EngineConfig.h"
#include "install/engine/WorkflowType.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

class ArchiveCache;
class BackgroundArchiveCheck;
class DownloadFolder;
class ProductWorkers;
class RunProgress;
class StagingArea;

struct InstallRequest {
    std::vector<std::u16string> products;
    std::filesystem::path folder;
    // Archives found here are used as they are, before asking the repository.
    std::filesystem::path archivesFolder;
    // Install: archives from the repository are fetched into a download folder first (downloaded
    // into the run's archive cache when the repository gives web addresses).
    // InstallFromFolder: they are unpacked where the repository keeps them.
    WorkflowType workflowType = WorkflowType::Install;
    std::shared_ptr<repository_adapter::RepositoryAdapter> repository;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue;
    // The platform whose archives are downloaded, and the way to the repository.
    std::string platform = "l64pc";
    ProxySettings proxy;
    // Stated in the folder's "VersionInfo.xml" when given.
    std::optional<ReleaseRecord> release;
    // The installation replaces one that had made the folder: the record says this one made it.
    bool inheritsCreatedFolder = false;
};

// One installation, all or nothing: every product's archive is located before anything is
// written; each product is (fetched or downloaded,) unpacked into a staging folder of its own
// inside the installation folder and verified against the catalogue's checksum, two products at
// a time, taken in the order asked, so one product's download goes on while another unpacks;
// only then are they all flushed to disk, moved into place, every link of the folder checked and
// the record written. A failure, a forged archive or the user's cancel (honoured within every
// MiB written or 100 ms of a download) puts the folder back as it was. Downloaded archives stay
// in the archive cache until the installation has succeeded, so the next run resumes them.
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
        // Set for an archive the repository serves over the web: it is downloaded.
        std::optional<repository_adapter::ArchiveSource> source;
    };

    void work();
    std::vector<PlannedProduct> plan();
    PlannedProduct locate(const productdata::ProductRecord& record);
    repository_adapter::ArchiveSource webSource(const productdata::ProductRecord& record);
    std::uint64_t estimatedInstallBytes(const std::u16string& baseCode, const std::filesystem::path& archive);
    void installAll(const std::vector<PlannedProduct>& products, const enczip::ConfinedFolder& destination,
                    bool createdFolder);
    // One product being staged, on whichever worker thread took it.
    struct Unpacking {
        std::size_t index;
        RunProgress& progress;
        const ProductWorkers& workers;
        std::uint64_t written = 0;
    };

    // What the product's archive placed in its staging folder. Runs beside the staging of other
    // products: it only reads the run's state, and reports through `progress`.
    std::vector<enczip::PlacedEntry> stage(const PlannedProduct& product, std::size_t index,
                                           const std::filesystem::path& folder, RunProgress& progress,
                                           const ProductWorkers& workers);
    // The archive's copy in the run's download folder, checked against the catalogue.
    std::filesystem::path fetch(const PlannedProduct& product, Unpacking& unpacking);
    // The archive in the archive cache, downloaded or resumed when it is not there whole.
    std::filesystem::path download(const PlannedProduct& product, Unpacking& unpacking);
    std::vector<enczip::PlacedEntry> unpack(const PlannedProduct& product,
                                            const std::filesystem::path& archive,
                                            const std::filesystem::path& folder,
                                            BackgroundArchiveCheck* check, Unpacking& unpacking);

    InstallRequest request_;
    std::unique_ptr<repository_adapter::ProductMap> availableProducts_;
    std::mutex downloadsMutex_;
    std::unique_ptr<DownloadFolder> downloads_;
    std::unique_ptr<ArchiveCache> cache_;
};

}  // namespace install::engine
