#include "InstallationRecorder.h"

#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "EngineErrorCodes.h"
#include "InstallationRecordReader.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "install/engine/EngineExceptions.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::engine {
namespace {

constexpr const char* kReleaseFile = "VersionInfo.xml";

std::optional<foundation::release_info::ReleaseInfo> installerRelease() {
    const std::filesystem::path file = platformutil::PlatformUtility::getInstallationPath() / kReleaseFile;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    try {
        return foundation::release_info::ReleaseInfo(stream);
    } catch (const foundation::release_info::ReleaseInfoException&) {
        // The installer's own description is damaged; the products are still worth recording.
        return std::nullopt;
    }
}

}  // namespace

InstallationRecorder::InstallationRecorder(std::filesystem::path folder) : folder_(std::move(folder)) {
    if (auto existing = InstallationRecordReader::read(folder_.u16string(), kStartLocation)) {
        manifest_ = std::move(*existing);
    }
    if (const auto release = installerRelease()) {
        manifest_.setRelease(release->getReleaseFamily(), release->getReleaseStatus(),
                             release->getUpdateLevel());
    }
}

void InstallationRecorder::record(const productdata::ProductRecord& product) {
    manifest_.addProduct({product.baseCode, product.name, product.productFamily});
    try {
        manifest_.writeTo(folder_);
    } catch (const InstallationManifestException& error) {
        throw EngineExtractOrRegisterException(kRecordCode, "Unable to record the installed products",
                                               error.what(), kStartLocation);
    }
}

}  // namespace install::engine
