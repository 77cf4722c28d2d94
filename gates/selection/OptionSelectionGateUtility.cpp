#include "gates/selection/OptionSelectionGateUtility.h"

#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using OptionType = OptionSelectionGateUtility::OptionType;
using Platform = OptionSelectionGateUtility::Platform;

// Platform numbers of the table: 0 is the running platform, 1 and 2 the other two.
constexpr Platform kPlatform0 = static_cast<Platform>(0);
constexpr Platform kPlatform1 = static_cast<Platform>(1);
constexpr Platform kPlatform2 = static_cast<Platform>(2);

// Catalogue base codes of the products that offer options.
constexpr char16_t kVelora[] = u"VELORA";
constexpr char16_t kVeloraCompiler[] = u"VELORA_COMPILER";
constexpr char16_t kQuarrixBugFinder[] = u"QUARRIX_BUGFINDER";
constexpr char16_t kQuarrixTest[] = u"QUARRIX_TEST";
constexpr char16_t kLicenseManager[] = u"LICENSEMANAGER";

}  // namespace

OptionSelectionGateUtility::OptionSelectionGateUtility() {
    // Called here, so the rows are those of this class whatever a subclass overrides.
    createProductToPlatformToOptionTypesMap();
}

OptionSelectionGateUtility::~OptionSelectionGateUtility() = default;

OptionSelectionGateUtility::OptionTypes OptionSelectionGateUtility::getOptionTypes(
    const std::vector<std::u16string>& selectedProducts, Platform platform,
    const install::tlmxclient::TLMXSettingsClientResponse& response) const {
    OptionTypes optionTypes;
    for (const auto& product : selectedProducts) {
        if (!checkIfOptionTypesExist(product, platform)) continue;
        const OptionTypes offered = getFromProductToPlatformToOptionTypesMap(product, platform);
        optionTypes.insert(offered.begin(), offered.end());
    }
    return filterOptionTypesBasedOnTLMXClientResponse(optionTypes, response);
}

void OptionSelectionGateUtility::createProductToPlatformToOptionTypesMap() {
    insertOptionsForVelora();
    insertOptionsForVeloraCompiler();
    insertOptionsForQuarrixBugFinder();
    insertOptionsForLicenseManager();
    insertOptionsForQuarrixTest();
}

void OptionSelectionGateUtility::insertOptionsForVelora() {
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform0, OptionType::DesktopShortcut);
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform0, OptionType::StartMenuShortcut);
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform0, OptionType::ImproveVelora);
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform1, OptionType::SymbolicLink);
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform1, OptionType::ImproveVelora);
    insertIntoProductToPlatformToOptionTypesMap(kVelora, kPlatform2, OptionType::ImproveVelora);
}

void OptionSelectionGateUtility::insertOptionsForVeloraCompiler() {
    insertIntoProductToPlatformToOptionTypesMap(kVeloraCompiler, kPlatform1, OptionType::SymbolicLink);
}

void OptionSelectionGateUtility::insertOptionsForQuarrixBugFinder() {
    insertIntoProductToPlatformToOptionTypesMap(kQuarrixBugFinder, kPlatform0, OptionType::DesktopShortcut);
    insertIntoProductToPlatformToOptionTypesMap(kQuarrixBugFinder, kPlatform0, OptionType::StartMenuShortcut);
}

void OptionSelectionGateUtility::insertOptionsForQuarrixTest() {
    insertIntoProductToPlatformToOptionTypesMap(kQuarrixTest, kPlatform0, OptionType::DesktopShortcut);
    insertIntoProductToPlatformToOptionTypesMap(kQuarrixTest, kPlatform0, OptionType::StartMenuShortcut);
}

void OptionSelectionGateUtility::insertOptionsForLicenseManager() {
    insertIntoProductToPlatformToOptionTypesMap(kLicenseManager, kPlatform0,
                                                OptionType::ConfigureLMAsService);
}

void OptionSelectionGateUtility::insertIntoProductToPlatformToOptionTypesMap(const std::u16string& baseCode,
                                                                             Platform platform,
                                                                             OptionType optionType) {
    insertIntoPlatformToOptionTypesMap(productToPlatformToOptionTypes[baseCode], platform, optionType);
}

void OptionSelectionGateUtility::insertIntoPlatformToOptionTypesMap(PlatformToOptionTypesMap& platforms,
                                                                    Platform platform,
                                                                    OptionType optionType) const {
    platforms[platform].insert(optionType);
}

OptionSelectionGateUtility::OptionTypes OptionSelectionGateUtility::getFromProductToPlatformToOptionTypesMap(
    const std::u16string& baseCode, Platform platform) const {
    if (!checkIfOptionTypesExist(baseCode, platform)) return {};
    return productToPlatformToOptionTypes.at(baseCode).at(platform);
}

bool OptionSelectionGateUtility::checkIfOptionTypesExist(const std::u16string& baseCode,
                                                         Platform platform) const {
    return checkIfOptionTypesExistForProduct(baseCode) &&
           checkIfOptionTypesExistForPlatform(baseCode, platform);
}

bool OptionSelectionGateUtility::checkIfOptionTypesExistForProduct(const std::u16string& baseCode) const {
    return productToPlatformToOptionTypes.count(baseCode) > 0;
}

bool OptionSelectionGateUtility::checkIfOptionTypesExistForPlatform(const std::u16string& baseCode,
                                                                    Platform platform) const {
    const auto product = productToPlatformToOptionTypes.find(baseCode);
    return product != productToPlatformToOptionTypes.end() && product->second.count(platform) > 0;
}

const OptionSelectionGateUtility::ProductToPlatformToOptionTypesMap&
OptionSelectionGateUtility::getProductToPlatformToOptionTypesMap() const {
    return productToPlatformToOptionTypes;
}

OptionSelectionGateUtility::OptionTypes
OptionSelectionGateUtility::filterOptionTypesBasedOnTLMXClientResponse(
    const OptionTypes& optionTypes, const install::tlmxclient::TLMXSettingsClientResponse& response) const {
    OptionTypes filtered = optionTypes;
    if (!response.isTLMXCheckboxShown()) filtered.erase(OptionType::ImproveVelora);
    return filtered;
}

}  // namespace install::product_installer::workflow_utils
