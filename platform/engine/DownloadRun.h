#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "install/productidentifier/ProductCatalogue.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

// What a download-only run fetches, and from where.
struct DownloadRequest {
    std::vector<std::u16string> products;
    std::filesystem::path archivesFolder;
    std::vector<std::string> platforms;
    std::shared_ptr<repository_adapter::RepositoryAdapter> repository;
    std::shared_ptr<const productidentifier::ProductCatalogue> catalogue;
    // Empty: the system's proxy.
    std::string proxyUrl;
    std::string proxyUserName;
    std::string proxyPassword;
};

// Fetches the archives of the products for every platform into "<archives>/<platform>/<code>.enc",
// up to four at once, each checked against the size and SHA-256 the repository gives before it
// takes its name, and then writes each platform folder's "catalogue.json" (the run's catalogue
// with the checksums of the archives beside it), so the platform folder installs offline as a
// packages root. Progress goes out as download progress reports, in bytes over all archives.
// What a failure or an interrupt leaves is only complete archives and ".part" files, which the
// next run into the same folder resumes; an archive already there and intact is not fetched again.
class DownloadRun {
public:
    explicit DownloadRun(DownloadRequest request);

    // Throws EngineMissingComponentException for a product the repository has no archive of,
    // EngineInvalidSignatureException for an archive that is not what the repository said,
    // EngineDownloadException when a transfer fails, EngineInterruptedException on an interrupt.
    void run();

    static constexpr std::size_t kTransfersAtOnce = 4;
    static constexpr const char* kCatalogueName = "catalogue.json";

private:
    DownloadRequest request_;
};

}  // namespace install::engine
