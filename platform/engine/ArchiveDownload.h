#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "install/repository_adapter/RepositoryAdapter.h"

namespace install::engine {

// The proxy a run's transfers go through. An empty address: the system's; the credentials are
// used only when both are given.
struct ProxySettings {
    std::string url;
    std::string userName;
    std::string password;
};

// One archive fetched from the repository into a file: resumed from the ".part" an earlier
// attempt left, shown the archive's access token and the run's proxy, and checked against the
// size and SHA-256 the repository gives before it takes the file's name.
class ArchiveDownload {
public:
    // Told the bytes of the archive at hand so far, a resumed part included.
    using Progress = std::function<void(std::uint64_t bytes)>;
    // Asked at least every 100 ms; true stops the transfer and keeps what it fetched.
    using StopRequest = std::function<bool()>;

    ArchiveDownload(repository_adapter::ArchiveSource source, std::filesystem::path target,
                    ProxySettings proxy);

    // Whether the file already holds the archive whole, as an earlier run left it.
    bool isComplete() const;
    // False when stopped. Throws EngineInvalidSignatureException for a file that is not the
    // archive (it is removed) and EngineDownloadException when the transfer fails; `what` names
    // the archive in them, `location` is theirs.
    bool run(const Progress& progress, const StopRequest& stop, const std::string& what,
             const char* location) const;

private:
    repository_adapter::ArchiveSource source_;
    std::filesystem::path target_;
    ProxySettings proxy_;
};

}  // namespace install::engine
