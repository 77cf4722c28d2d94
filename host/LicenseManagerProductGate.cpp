// The licence-server installation's product step: the product fixed, its archive required.
#include "host/LicenseManagerProductGate.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Logger.h"
#include "install/engine/RequiredSizeCalculator.h"

namespace velora::installer {

namespace {

using install::datamodels::product_installer::validationResultType;

// The failure kind of the product page's missing installation files.
constexpr auto kMissingInstallationFiles = validationResultType(1);
constexpr char kLocation[] = "LicenseManagerProduct::MissingInstallationFiles";

}  // namespace

LicenseManagerProductGate::LicenseManagerProductGate(
    const std::u16string& name,
    const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
    CatalogueComponents components)
    : name_(name),
      handler_(handler),
      components_(std::move(components)),
      tlmxUtil_(std::make_unique<install::tlmx::TlmxUtil>()) {}

bool LicenseManagerProductGate::checkIfShouldBeSkipped() const { return !missingArchive(); }

void LicenseManagerProductGate::skip() const {
    selectLicenseManager();
    handler_->setDataProcessed(name_);
}

void LicenseManagerProductGate::setRequiredData() const { handler_->setDataRequired(name_); }

void LicenseManagerProductGate::processData() {
    // Asked again: the archive may have been put in place since the step was shown.
    if (const auto cause = missingArchive()) {
        showMissingArchive(*cause);
        return;
    }
    selectLicenseManager();
    handler_->setAsValid();
    handler_->setAsDataProcessed();
}

std::optional<std::string> LicenseManagerProductGate::missingArchive() const {
    const auto repository = handler_->getProductRepoAdapterInstance();
    if (!repository) return "the installer holds no product repository";
    try {
        const auto baseCodes = repository->getAvailableProductBasecodes();
        if (std::find(baseCodes.begin(), baseCodes.end(), kLicenseManager) != baseCodes.end())
            return std::nullopt;
    } catch (const std::exception& error) {
        return error.what();
    }
    if (!handler_->IsFolderRepoInstance()) return "the online repository has no archive of LICENSEMANAGER";
    return "the packages in " + fl::i18n::to_string(handler_->getPackagesRoot()) +
           " hold no archive of LICENSEMANAGER (LICENSEMANAGER.enc)";
}

void LicenseManagerProductGate::selectLicenseManager() const {
    const auto repository = handler_->getProductRepoAdapterInstance();
    handler_->initializeProductSelectionModel();
    handler_->setAvailableProducts(repository->getAvailableProductBasecodes());
    handler_->setInstallableProducts({kLicenseManager});
    handler_->initializeSelectedProducts({kLicenseManager});
    // The confirmation shows what the installation occupies, as after the product page.
    try {
        const auto sizes = install::engine::RequiredSizeCalculator().getRequiredDownloadAndInstallSize(
            {kLicenseManager}, handler_->getInstallFolder(),
            {fl::i18n::to_string(handler_->getExecutionPlatform())},
            {fl::i18n::to_string(handler_->getLocale())}, repository->getAvailableProducts(), true, true);
        handler_->setRequiredInstallSize(sizes.second);
    } catch (const std::exception& error) {
        install::cpputil::logger::append_message(u"The size of the licence server is not known: " +
                                                 fl::i18n::to_u16string(error.what()));
    }
}

void LicenseManagerProductGate::showMissingArchive(const std::string& cause) {
    const auto message = fl::i18n::message("selectedProductNotAvailable",
                                           components_.identifier()->getProductName(kLicenseManager));
    const auto title = fl::i18n::message("missingInstallationFilesTitle");
    install::cpputil::logger::append_message(message);
    handler_->setCurrentValidationFailure(kMissingInstallationFiles, message, title);
    tlmxUtil_->collectErrorInfo("850", "Unable to load product files", cause, kLocation);
}

}  // namespace velora::installer
