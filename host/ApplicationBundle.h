#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "install/datamodels/DataModel.h"

namespace velora::installer {

// The packaged application of a "Vantapak Install" run, as the installer finds it unpacked: a
// folder with the "application" folder and "ApplicationInstallerManifest.xml", which names the
// application, its version, its main program (a standalone application's program also lies
// beside the manifest), its icon (a path in the bundle), the folder it proposes (below the
// platform's installation folder unless absolute), the bytes it needs and the runtime products
// it runs on:
//
//   <ApplicationInstallerManifest><Name>Hello</Name><Version>1.0.0</Version>
//     <MainProgram>hello</MainProgram><Icon>application/hello.svg</Icon>
//     <InstallationFolder>hello</InstallationFolder><RequiredDiskSpace>65536</RequiredDiskSpace>
//     <RequiredProducts><Product>VELORA_RUNTIME</Product></RequiredProducts>
//   </ApplicationInstallerManifest>
class ApplicationBundle {
public:
    static constexpr const char* kManifestName = "ApplicationInstallerManifest.xml";

    // Fills the packaged application's record from the bundle. Throws ApplicationBundleError,
    // naming what to fix, for a bundle without an application folder or with a manifest that
    // cannot be read.
    static void describe(const std::filesystem::path& bundle,
                         const install::datamodels::product_installer::UserApplicationData& record);
};

class ApplicationBundleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~ApplicationBundleError() override;
};

}  // namespace velora::installer
