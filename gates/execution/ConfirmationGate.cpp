#include "gates/execution/ConfirmationGate.h"

#include <filesystem>

#include "fl/i18n/Message.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char16_t kTrimmedCharacters[] = u"\t\n\v\f\r ";

std::u16string trimmed(const std::u16string& text) {
    const auto first = text.find_first_not_of(kTrimmedCharacters);
    if (first == std::u16string::npos) return u"";
    const auto last = text.find_last_not_of(kTrimmedCharacters);
    return text.substr(first, last - first + 1);
}

}  // namespace

ConfirmationGate::ConfirmationGate(const std::u16string& name,
                                   const std::shared_ptr<DataModelHandler>& handler)
    : delimiter(u"|?:"), name(name), handler(handler) {}

ConfirmationGate::~ConfirmationGate() = default;

void ConfirmationGate::processData() {
    handler->setAsValid();
    handler->setAsDataProcessed();
}

void ConfirmationGate::setDefaultData() const {
    handler->initializeConfirmationModel();
    handler->setConfirmationItems(getConfirmationItems());
}

void ConfirmationGate::setRequiredData() const { handler->setDataRequired(name); }

void ConfirmationGate::clearInputData() const { handler->resetConfirmationItems(); }

std::vector<ConfirmationGate::ConfirmationItem> ConfirmationGate::getConfirmationItems() const {
    std::vector<ConfirmationItem> items;
    logConfirmationTitle(fl::i18n::message("confirmationTitle"));
    if (handler->getIsVantapakInstallation()) {
        items.push_back(getUserAppDestinationItem());
        items.push_back(getRuntimeDestinationItem());
    } else {
        items.push_back(getDestinationItem());
        items.push_back(getProductsItem());
    }
    const bool downloadOnly = handler->isDownloadOnlyWorkflow();
    if (downloadOnly) items.push_back(getPlatformsItem());

    unsigned long long bytes = 0;
    if (downloadOnly) {
        bytes = handler->getRequiredDownloadSize();
    } else if (handler->getIsQRTInstallation()) {
        // Nothing selected means the runtime is complete already: there is no size to show.
        if (handler->getSelectedProducts().empty()) return items;
        bytes = getRequiredInstallSize();
    } else {
        bytes = handler->getRequiredInstallSize();
    }
    if (bytes != 0) items.push_back(getRequiredSizeItem(bytes));
    return items;
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getDestinationItem() const {
    std::u16string value;
    if (handler->isDownloadOnlyWorkflow()) {
        value = handler->getUserGivenDownloadFolder();
    } else if (handler->getIsQRTInstallation() && isRuntimeUpdate()) {
        value = joinedWithFolder(fl::i18n::message("additionalProductsMsgPartOne", "Velora Runtime"),
                                 fl::i18n::message("additionalProductsMsgPartTwo"));
    } else {
        value = handler->getInstallFolder();
    }
    logConfirmationTitle(fl::i18n::message("destinationFolderTitle", ""));
    log_message(value);
    return makeItem(kDestinationItem, value);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getRuntimeDestinationItem() const {
    std::u16string value;
    if (isRuntimeUpdate()) {
        value = joinedWithFolder(fl::i18n::message("additionalProductsMsgPartOne", "Velora Runtime"),
                                 fl::i18n::message("VantapakAdditionalProductsMsgPartTwo"));
    } else if (handler->getUpdateScenario() == DataModelHandler::UpdateScenario::AlreadyUpToDate) {
        value = fl::i18n::message("runtimeAlreadyUpToDateMsg", "Velora Runtime") + delimiter +
                handler->getInstallFolder();
    } else {
        value = handler->getInstallFolder();
    }
    logConfirmationTitle(fl::i18n::message("destinationFolderTitle", "Velora Runtime"));
    log_message(value);
    return makeItem(kRuntimeDestinationItem, value);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getUserAppDestinationItem() const {
    const auto application = handler->getVantapakUserApplicationDataModel();
    const std::u16string value = application.getInstallationDirectory();
    // The record carries no display name; a packaged application unpacks into a folder of its
    // own name, which is what the user knows it by.
    const auto bundle = std::filesystem::path(application.getExtractedBundleDirectory());
    const std::u16string applicationName = bundle.filename().empty()
                                               ? bundle.parent_path().filename().u16string()
                                               : bundle.filename().u16string();
    logConfirmationTitle(fl::i18n::message("userAppDestinationFolderTitle", applicationName));
    log_message(value);
    return makeItem(kUserAppDestinationItem, value);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getProductsItem() const {
    std::u16string value;
    if (handler->getIsQRTInstallation()) {
        value = fl::i18n::message("VeloraRuntimeProductMsg", "Velora Runtime", handler->getReleaseFamily());
    } else {
        const auto offered = handler->isDownloadOnlyWorkflow() ? handler->getDownloadableProducts()
                                                               : handler->getInstallableProducts();
        value = fl::i18n::message("numberOfProductsSelectedMsg", handler->getSelectedProducts().size(),
                                  offered.size());
    }
    logConfirmationTitle(fl::i18n::message("productsTitle"));
    log_message(value);
    return makeItem(kProductsItem, value);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getPlatformsItem() const {
    std::u16string value;
    for (const auto& platform : handler->getDownloadPlatforms()) {
        std::u16string display;
        if (platform == u"w64pc") {
            display = fl::i18n::message("Windows");
        } else if (platform == u"l64pc") {
            display = fl::i18n::message("Linux");
        } else if (platform == u"m64in") {
            display = fl::i18n::message("macOS_Intel_processor");
        } else if (platform == u"m64ar") {
            display = fl::i18n::message("macOS_Apple_silicon");
        } else {
            continue;
        }
        if (!value.empty()) value += u' ';
        value += display;
    }
    logConfirmationTitle(fl::i18n::message("platformsTitle"));
    log_message(value);
    return makeItem(kPlatformsItem, value);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::getRequiredSizeItem(unsigned long long bytes) const {
    const auto value =
        fl::i18n::message("requiredSizeMsg", install::platformutil::SizeFormatter::format(bytes));
    log_message(value);
    return makeItem(kRequiredSizeItem, value);
}

unsigned long long ConfirmationGate::getRequiredInstallSize() const {
    const auto calculator = getRequiredSizeCalculatorInstance();
    const std::vector<std::string> platforms{fl::i18n::to_string(handler->getExecutionPlatform())};
    const std::vector<std::string> locales{fl::i18n::to_string(handler->getLocale())};
    return calculator
        ->getRequiredDownloadAndInstallSize(handler->getSelectedProducts(), handler->getInstallFolder(),
                                            platforms, locales, getProducts(), true, true)
        .second;
}

std::unique_ptr<install::engine::RequiredSizeCalculator> ConfirmationGate::getRequiredSizeCalculatorInstance()
    const {
    return std::make_unique<install::engine::RequiredSizeCalculator>();
}

std::unique_ptr<install::productidentifier::ProductIdentifier> ConfirmationGate::getProductIdentifier()
    const {
    return std::make_unique<install::productidentifier::ProductIdentifier>();
}

DataModelHandler::AvailableProductMap ConfirmationGate::getProducts() const {
    return handler->getAvailableProductMap();
}

void ConfirmationGate::logConfirmationTitle(const std::u16string& title) const {
    log_message(trimmed(title));
}

void ConfirmationGate::log_message(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

ConfirmationGate::ConfirmationItem ConfirmationGate::makeItem(std::int32_t type,
                                                              const std::u16string& value) const {
    auto item = handler->createConfirmationItem();
    item.setConfirmationType(type);
    item.setConfirmationValue(value);
    return item;
}

std::u16string ConfirmationGate::joinedWithFolder(const std::u16string& before,
                                                  const std::u16string& after) const {
    return before + delimiter + handler->getInstallFolder() + delimiter + after;
}

bool ConfirmationGate::isRuntimeUpdate() const {
    const auto scenario = handler->getUpdateScenario();
    return scenario == DataModelHandler::UpdateScenario::ProductsAdded ||
           scenario == DataModelHandler::UpdateScenario::UpdateToNewerLevel;
}

}  // namespace install::product_installer::workflow_utils
