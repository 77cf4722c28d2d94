#include "InstallationRecorder.h"

#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "EngineErrorCodes.h"
#include "InstallationRecordReader.h"
#include "ProductMover.h"
#include "fl/i18n/TextConversion.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::engine {
namespace {

constexpr const char* kReleaseFile = InstallationRecorder::kReleaseFileName;

std::string escaped(const std::string& text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            default:
                result += c;
        }
    }
    return result;
}

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

std::string InstallationRecorder::releaseFileText(const ReleaseRecord& release) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VersionInfo><Release>" + escaped(release.family) +
           "</Release><ReleaseStatus>" + escaped(release.status) + "</ReleaseStatus><UpdateLevel>" +
           std::to_string(release.updateLevel) + "</UpdateLevel></VersionInfo>\n";
}

InstallationRecorder::InstallationRecorder(const std::filesystem::path& folder, bool createdFolder,
                                           const std::optional<ReleaseRecord>& release)
    : release_(release) {
    if (auto existing = InstallationRecordReader::read(folder.u16string(), kStartLocation)) {
        manifest_ = std::move(*existing);
    } else {
        manifest_.setCreatedFolder(createdFolder);
    }
    // The program running now is the one that can take the installation away again.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) manifest_.setInstaller(program.string());
    if (const auto release = installerRelease()) {
        manifest_.setRelease(release->getReleaseFamily(), release->getReleaseStatus(),
                             release->getUpdateLevel());
    }
    if (release_) {
        manifest_.setRelease(fl::i18n::to_u16string(release_->family),
                             fl::i18n::to_u16string(release_->status), release_->updateLevel);
    }
}

void InstallationRecorder::add(InstalledProductEntry product) { manifest_.addProduct(std::move(product)); }

void InstallationRecorder::place(ProductMover& mover) const {
    // The list first: an uninstaller reading it while the record changes finds every file.
    mover.placeFile(InstallationManifest::kFileListName, manifest_.fileList());
    mover.placeFile(InstallationManifest::kFileName, manifest_.toJson());
    if (release_) mover.placeFile(kReleaseFile, releaseFileText(*release_));
}

}  // namespace install::engine
