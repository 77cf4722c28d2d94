#include "install/engine/RequiredSizeCalculator.h"

#include <set>

#include "InstallationRecordReader.h"
#include "fl/i18n/TextConversion.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine {
namespace {

constexpr const char* kLocation = "RequiredSizeCalculator::getRequiredDownloadAndInstallSize";
constexpr const char* kUnknownProductCode = "2130";

std::set<std::u16string> installedIn(const std::u16string& folder) {
    std::set<std::u16string> installed;
    const auto record = InstallationRecordReader::read(folder, kLocation);
    if (record) {
        for (const InstalledProductEntry& entry : record->getProducts()) installed.insert(entry.baseCode);
    }
    return installed;
}

}  // namespace

RequiredSizeCalculator::RequiredSizeCalculator() = default;
RequiredSizeCalculator::~RequiredSizeCalculator() = default;

std::pair<std::uint64_t, std::uint64_t> RequiredSizeCalculator::getRequiredDownloadAndInstallSize(
    const std::vector<std::u16string>& products, const std::u16string& folder,
    const std::vector<std::string>&, const std::vector<std::string>&,
    const repository_adapter::ProductMap& productMap, bool skipInstalledProducts,
    bool ignoreUnknownProducts) const {
    const std::set<std::u16string> installed =
        skipInstalledProducts ? installedIn(folder) : std::set<std::u16string>{};
    std::set<std::u16string> counted;
    std::uint64_t downloadBytes = 0;
    std::uint64_t installBytes = 0;
    for (const std::u16string& baseCode : products) {
        if (installed.count(baseCode) > 0 || !counted.insert(baseCode).second) continue;
        const auto found = productMap.find(baseCode);
        if (found == productMap.end() || !found->second) {
            if (ignoreUnknownProducts) continue;
            throw EngineMissingComponentException(kUnknownProductCode, fl::i18n::to_string(baseCode),
                                                  "the repository does not offer this product", kLocation);
        }
        downloadBytes += found->second->getDownloadSize();
        installBytes += found->second->getInstallSize();
    }
    return {downloadBytes, installBytes};
}

std::uint64_t RequiredSizeCalculator::getRequiredDownloadSize(
    const std::vector<std::u16string>& products, const std::u16string& folder,
    const std::vector<std::string>& platforms, const std::vector<std::string>& locales,
    const repository_adapter::ProductMap& productMap, bool skipInstalledProducts,
    bool ignoreUnknownProducts) const {
    return getRequiredDownloadAndInstallSize(products, folder, platforms, locales, productMap,
                                             skipInstalledProducts, ignoreUnknownProducts)
        .first;
}

}  // namespace install::engine
