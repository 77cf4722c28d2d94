#include "host/CatalogueEngine.h"

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Logger.h"

namespace velora::installer {

CatalogueEngine::CatalogueEngine(ProductCatalogueChoice choice)
    : LocalEngine(std::move(choice.catalogue)), catalogueFile_(std::move(choice.file)) {}

void CatalogueEngine::start(const std::vector<std::u16string>& products, const std::u16string& folder,
                            const std::vector<std::string>& platforms, const std::string& locale,
                            const std::u16string& archivesFolder, install::engine::WorkflowType workflowType,
                            const std::shared_ptr<install::repository_adapter::RepositoryAdapter>& repository,
                            const install::engine::OptionalFeatureFlags& flags,
                            const install::engine::EngineConfig& config) {
    const auto catalogue = getCatalogue();
    for (const std::u16string& baseCode : products) {
        const auto* record = catalogue->find(baseCode);
        if (record == nullptr || !record->archiveSha256.empty()) continue;
        install::cpputil::logger::append_message(
            u"Warning: " + fl::i18n::to_u16string(catalogueFile_.string()) +
            u" gives no checksum for the archive of " + baseCode + u", which is installed unverified");
    }
    LocalEngine::start(products, folder, platforms, locale, archivesFolder, workflowType, repository, flags,
                       config);
}

}  // namespace velora::installer
