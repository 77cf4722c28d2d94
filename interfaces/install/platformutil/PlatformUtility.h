#pragma once

#include <filesystem>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::platformutil {

class COMPONENT_API PlatformUtility {
public:
    // The current UTC time as "%F %T" ("2025-03-14 09:26:53"), the form diagnostics expect.
    static std::string getPlatformUTCTime();

    // The folder of the running installer: where it finds "archives", "uninstall.zip", its own
    // "VersionInfo.xml" and the product catalogue. The host may set it at start-up (an installer
    // unpacked to a temporary folder is not where its executable lies); otherwise it is the
    // folder of the host executable (/proc/self/exe). Empty when neither is known.
    static std::filesystem::path getInstallationPath();
    // An empty path returns to the executable's folder.
    static void setInstallationPath(const std::filesystem::path& path);

    // The path itself when it exists, else its closest existing parent. Folders that are still
    // to be created live on the volume of that ancestor. Relative paths are taken from the
    // current folder. Throws std::filesystem::filesystem_error when nothing along the path can
    // be examined.
    static std::filesystem::path getNearestExistingAncestor(const std::filesystem::path& path);
};

}  // namespace install::platformutil
