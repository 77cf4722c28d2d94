#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "RepositoryIndex.h"
#include "foundation/ComponentExport.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::repository_adapter {

// The products the online repository offers for the configured release family, status and
// platforms, read from its product indexes (docs/repository-protocol.md) over HTTP. Indexes are
// fetched on the first question and remembered until configure(). Failures are the repository
// exceptions: RepoAdapterWebServiceException when the repository cannot be reached,
// RepoAdapterDWSDownloadException when it has no index for the release,
// RepoAdapterDWSExtractException when an index cannot be read; a proxy that wants credentials
// raises online_service::ProxyAuthenticationRequiredException. Every operation may be called from
// any thread.
class COMPONENT_API OnlineRepositoryAdapter : public RepositoryAdapter {
public:
    // `baseAddress`: the repository's address ("http://host/velora/"); `platform`: the platform
    // asked for until the configuration names others.
    OnlineRepositoryAdapter(std::string baseAddress, std::string platform);
    ~OnlineRepositoryAdapter() override;

    void configure(const config::RepoAdapterConfiguration& configuration) override;
    ProductMap getAvailableProducts() override;
    // The archive's address for the first platform; empty when there is none.
    std::u16string getProductArchivePath(const std::u16string& baseCode) override;
    std::optional<ArchiveSource> getProductArchive(const std::u16string& baseCode,
                                                   const std::string& platform) override;
    std::vector<std::u16string> getAvailableProductBasecodes() override;
    // False when the repository cannot answer, unless a proxy wants credentials: that is asked.
    bool doProductsExist() override;
    std::map<std::string, std::string> getInstallerUrls(const std::vector<std::string>& platforms) override;
    std::vector<std::u16string> getAdditionalLanguages() override;
    void setProxyCredentials(const std::string& userName, const std::string& password) override;
    // The proxy to go through; empty (the default): the system's.
    void setProxyAddress(const std::string& address);

private:
    const RepositoryIndex& index(const std::string& platform);
    std::string fetch(const std::string& relative, const std::string& platform) const;
    std::string absolute(const std::string& relative) const;
    [[noreturn]] void fail(const std::exception& error, const std::string& platform) const;

    std::mutex mutex_;
    std::string baseAddress_;
    std::vector<std::string> platforms_;
    std::string releaseFamily_ = "2025.1";
    std::string releaseStatus_ = "Release";
    std::string proxyAddress_;
    std::string proxyUserName_;
    std::string proxyPassword_;
    // The signed-in account's token: every index and archive of the repository asks for it.
    std::string accessToken_;
    std::filesystem::path workFolder_;
    std::map<std::string, RepositoryIndex> indexes_;
};

}  // namespace install::repository_adapter
