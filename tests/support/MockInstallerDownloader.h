#pragma once

#include <gmock/gmock.h>

#include <string>

#include "gates/download/InstallerDownloaderInterface.h"

namespace workflow_test {

// The installer downloader as a mock: a test checks the credentials it was run with and states
// whether it fails.
class MockInstallerDownloader
    : public install::product_installer::workflow_utils::InstallerDownloaderInterface {
public:
    MOCK_METHOD(void, downloadAndExtractInstallers, (const std::u16string&, const std::u16string&),
                (const, override));
};

}  // namespace workflow_test
