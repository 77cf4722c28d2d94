#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "install/datamodels/Enums.h"
#include "install/platformutil/Platform.h"
#include "install/tlmxclient/TLMXSettingsClientResponse.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The fixed table of which installation options each product offers on each platform, and the
// option types a selection of products gets from it. Products are keyed by their catalogue base
// code; platform 0 is the platform the installer runs on.
class WORKFLOW_UTILS_API OptionSelectionGateUtility {
public:
    using OptionType = install::datamodels::product_installer::OptionType;
    using Platform = install::platformutil::Platform;
    using OptionTypes = std::set<OptionType>;
    using PlatformToOptionTypesMap = std::map<Platform, OptionTypes>;
    using ProductToPlatformToOptionTypesMap = std::unordered_map<std::u16string, PlatformToOptionTypesMap>;

    // Fills the table.
    OptionSelectionGateUtility();
    OptionSelectionGateUtility(const OptionSelectionGateUtility&) = default;
    OptionSelectionGateUtility(OptionSelectionGateUtility&&) = default;
    OptionSelectionGateUtility& operator=(const OptionSelectionGateUtility&) = default;
    OptionSelectionGateUtility& operator=(OptionSelectionGateUtility&&) = default;
    virtual ~OptionSelectionGateUtility();

    // Every option the selected products offer on the platform, less the usage-data option when
    // the usage-data service does not want its checkbox shown.
    virtual OptionTypes getOptionTypes(const std::vector<std::u16string>& selectedProducts, Platform platform,
                                       const install::tlmxclient::TLMXSettingsClientResponse& response) const;

protected:
    virtual void insertOptionsForVelora();
    virtual void insertOptionsForVeloraCompiler();
    virtual void insertOptionsForQuarrixBugFinder();
    virtual void insertOptionsForQuarrixTest();
    virtual void insertOptionsForLicenseManager();
    virtual void createProductToPlatformToOptionTypesMap();
    virtual void insertIntoProductToPlatformToOptionTypesMap(const std::u16string& baseCode,
                                                             Platform platform, OptionType optionType);
    virtual void insertIntoPlatformToOptionTypesMap(PlatformToOptionTypesMap& platforms, Platform platform,
                                                    OptionType optionType) const;
    // Empty when the table has no row for the pair.
    virtual OptionTypes getFromProductToPlatformToOptionTypesMap(const std::u16string& baseCode,
                                                                 Platform platform) const;
    virtual bool checkIfOptionTypesExist(const std::u16string& baseCode, Platform platform) const;
    virtual bool checkIfOptionTypesExistForProduct(const std::u16string& baseCode) const;
    virtual bool checkIfOptionTypesExistForPlatform(const std::u16string& baseCode, Platform platform) const;
    virtual const ProductToPlatformToOptionTypesMap& getProductToPlatformToOptionTypesMap() const;
    virtual OptionTypes filterOptionTypesBasedOnTLMXClientResponse(
        const OptionTypes& optionTypes,
        const install::tlmxclient::TLMXSettingsClientResponse& response) const;

private:
    ProductToPlatformToOptionTypesMap productToPlatformToOptionTypes;
};

}  // namespace install::product_installer::workflow_utils
