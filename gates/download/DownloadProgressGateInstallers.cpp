// The installers of the chosen platforms, fetched into the run folder after the products: the
// Windows installer apart from the others, since only installers of the running platform are
// unpacked. A failure here is shown as the installer download failing.
#include <exception>
#include <vector>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/download/DownloadProgressGate.h"
#include "gates/download/InstallerDownloader.h"
#include "install/cpputil/LogMessages.h"
#include "install/platformutil/PlatformUtility.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr install::tlmx::SessionDataKey kInstallersDone{45};
constexpr char16_t kWindowsPlatform[] = u"w64pc";
constexpr char kInstallerPlatform[] = "w64pc";
constexpr auto kProgressFailure = install::datamodels::product_installer::validationResultType(13);

}  // namespace

std::unique_ptr<InstallerDownloaderInterface> DownloadProgressGate::getInstallerDownloader(
    const std::shared_ptr<DataModelHandler>& handler, const InstallerUrls& windowsInstallers,
    const InstallerUrls& otherInstallers, const std::u16string& folder) const {
    return std::make_unique<InstallerDownloader>(handler, windowsInstallers, otherInstallers, folder);
}

void DownloadProgressGate::downloadAndExtractInstallers(const std::u16string& runFolder) const {
    try {
        std::vector<std::string> windowsPlatforms;
        std::vector<std::string> otherPlatforms;
        for (const auto& platform : handler->getDownloadPlatforms()) {
            (platform == kWindowsPlatform ? windowsPlatforms : otherPlatforms)
                .push_back(fl::i18n::to_string(platform));
        }
        const auto adapter = repository();
        const auto windowsInstallers = adapter->getInstallerUrls(windowsPlatforms);
        const auto otherInstallers = adapter->getInstallerUrls(otherPlatforms);
        getInstallerDownloader(handler, windowsInstallers, otherInstallers, runFolder)
            ->downloadAndExtractInstallers(handler->getProxyUserName(), handler->getProxyPassword());
    } catch (const install::cpputil::InstallerException& error) {
        // The downloader has logged the failure and named where it happened.
        handler->setCurrentValidationFailure(
            kProgressFailure,
            fl::i18n::message("installerDownloadFailedMessage", handler->getReleaseFamily(),
                              kInstallerPlatform),
            fl::i18n::message("installerDownloadFailedTitle"));
        collectErrorInfoForTlmx(error.getErrorCode(), withoutProxyPassword(error.getPrimaryErrorMessage()),
                                withoutProxyPassword(error.getSecondaryErrorMessage()), error.getLocation());
        recordTime(kInstallersDone);
        throw;
    } catch (const std::exception& error) {
        const install::cpputil::InstallerException wrapped(
            "199", "unknown error", error.what(),
            install::cpputil::createLocation(getProgressLocation(), ""));
        recordTime(kInstallersDone);
        handleException(
            fl::i18n::BaseMsgID("standardErrorTitle"),
            fl::i18n::BaseMsgID("progressErrorMsg", handler->getReleaseFamily(), kInstallerPlatform), wrapped,
            fl::i18n::to_u16string(error.what()));
    }
    recordTime(kInstallersDone);
}

}  // namespace install::product_installer::workflow_utils
