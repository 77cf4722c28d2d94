// Whether the download folder's drive can hold what the selection downloads for every chosen
// platform and language. The reasoning goes to the diagnostic trace, not to the installer log.
#include <algorithm>
#include <exception>
#include <string>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "gates/download/DownloadProductSelectionGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr auto kSpaceWarning = install::datamodels::product_installer::validationResultType(15);
constexpr char16_t kWindowsPlatform[] = u"w64pc";

// The root of a Windows folder ("D:\" for "D:\Downloads", "\\server\" for a share), as the
// file system of that platform names it; whatever platform the installer is built for, the
// folder is written the Windows way there. Empty for an empty or relative folder.
std::u16string windowsRoot(std::u16string folder) {
    std::replace(folder.begin(), folder.end(), u'/', u'\\');
    std::u16string rootName;
    if (folder.size() >= 2 && folder[1] == u':') {
        rootName = folder.substr(0, 2);
    } else if (folder.size() > 2 && folder[0] == u'\\' && folder[1] == u'\\' && folder[2] != u'\\') {
        rootName = folder.substr(0, folder.find(u'\\', 2));
    }
    const bool rootDirectory = folder.size() > rootName.size() && folder[rootName.size()] == u'\\';
    return rootName + (rootDirectory ? u"\\" : u"");
}

}  // namespace

bool DownloadProductSelectionGate::hasEnoughSpace() const {
    try {
        const auto size = getDownloadSize();
        handler->setRequiredDownloadSize(size);
        auto folder = handler->getUserGivenDownloadFolder();
        // The validator measures volumes; on Windows a drive is named by its root.
        if (handler->getExecutionPlatform() == kWindowsPlatform) folder = windowsRoot(folder);
        trace("required download size: " + std::to_string(size));
        if (getDiskSpaceValidatorInstance()->hasEnoughDiskSpaceToInstall(folder, size)) {
            trace("SpaceValidator determines that we have enough space in user given download folder.");
            return true;
        }
        trace(
            "SpaceValidator determines that we **do not** have enough space in user given download folder.");
        showWarningForSpaceCheck(folder, size);
        return false;
    } catch (const std::exception& error) {
        // Without an answer the download is attempted: the engine reports a full disk itself.
        log_message(fl::i18n::to_u16string(error.what()));
        return true;
    }
}

std::uint64_t DownloadProductSelectionGate::getDownloadSize() const {
    const auto products = getProducts();
    const auto selected = handler->getSelectedProducts();
    const auto folder = handler->getUserGivenDownloadFolder();
    std::vector<std::string> platforms;
    for (const auto& platform : handler->getDownloadPlatforms())
        platforms.push_back(fl::i18n::to_string(platform));
    return getRequiredSizeCalculatorInstance()->getRequiredDownloadSize(selected, folder, platforms,
                                                                        getLanguages(), products, true, true);
}

std::vector<std::string> DownloadProductSelectionGate::getLanguages() const {
    std::vector<std::string> languages{fl::i18n::to_string(handler->getLocale())};
    if (const auto adapter = handler->getProductRepoAdapterInstance()) {
        for (const auto& language : adapter->getAdditionalLanguages()) {
            languages.push_back(fl::i18n::to_string(language));
        }
    }
    return languages;
}

// The folder stays out of the text: the catalogue's warning, shared with the installation's
// product page, states the required size alone.
std::vector<std::u16string> DownloadProductSelectionGate::getWarningMetaData(const std::u16string& /*folder*/,
                                                                             std::uint64_t size) const {
    const auto formattedSize = fl::i18n::to_u16string(install::platformutil::SizeFormatter::format(size));
    return {fl::i18n::message("productSelectionSpaceWarningMsg", formattedSize),
            fl::i18n::message("productSelectionSpaceWarningTitle")};
}

void DownloadProductSelectionGate::showWarningForSpaceCheck(const std::u16string& folder,
                                                            std::uint64_t size) const {
    const auto warning = getWarningMetaData(folder, size);
    handler->setCurrentValidationWarning(kSpaceWarning, warning[0], warning[1]);
    log_message(warning[0]);
    collectErrorInfoForTlmx("830", "Insufficient disk space", "",
                            "DownloadProductSelection::ProductValidator::NotEnoughSpace");
}

}  // namespace install::product_installer::workflow_utils
