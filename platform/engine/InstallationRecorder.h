#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "InstallationManifest.h"
#include "install/engine/EngineConfig.h"

namespace install::engine {

class ProductMover;

// The installation record of the folder a run installs into, as it will be once every product
// of the run is in place.
class InstallationRecorder {
public:
    // Reads the folder's record now, so that an unreadable one stops the run before anything is
    // unpacked (EngineInvalidInstalledProductsException). The release comes from the
    // "VersionInfo.xml" beside the running installer when there is one; otherwise an existing
    // record keeps its own. `createdFolder`: this run made the installation folder. A `release`
    // given by the run wins over both, and is also stated in the folder's "VersionInfo.xml".
    InstallationRecorder(const std::filesystem::path& folder, bool createdFolder,
                         const std::optional<ReleaseRecord>& release = std::nullopt);

    static constexpr const char* kReleaseFileName = "VersionInfo.xml";
    // The text of a "VersionInfo.xml" stating the release.
    static std::string releaseFileText(const ReleaseRecord& release);

    void add(InstalledProductEntry product);
    // Puts the record and its file list in place, as changes of the run.
    void place(ProductMover& mover) const;

private:
    InstallationManifest manifest_;
    std::optional<ReleaseRecord> release_;
};

}  // namespace install::engine
