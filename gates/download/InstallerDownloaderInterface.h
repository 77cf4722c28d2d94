#pragma once

#include <map>
#include <string>

#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// What the download progress page needs of the installer downloader: fetch the platforms'
// installers into the run folder and unpack those that can run here. The page makes one per run
// (DownloadProgressGate::getInstallerDownloader) from two maps of installer file name to
// download address, the Windows installers and all others, and the run folder. Failures are
// thrown as install::cpputil::InstallerException, already written to the installer log.
class WORKFLOW_UTILS_API InstallerDownloaderInterface {
public:
    using InstallerUrls = std::map<std::string, std::string>;

    virtual ~InstallerDownloaderInterface() = default;

    // Proxy credentials as the model holds them; both empty when no proxy needs them.
    virtual void downloadAndExtractInstallers(const std::u16string& proxyUserName,
                                              const std::u16string& proxyPassword) const = 0;
};

}  // namespace install::product_installer::workflow_utils
