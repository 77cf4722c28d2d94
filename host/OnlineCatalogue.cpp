// The online repository's products as the run's product catalogue.
#include "host/OnlineCatalogue.h"

namespace velora::installer {

namespace productdata = install::productdata;

ProductCatalogueChoice OnlineCatalogue::build(const ProductCatalogueChoice& installers,
                                              install::repository_adapter::RepositoryAdapter& repository,
                                              const std::string& platform) {
    const auto offered = repository.getAvailableProducts();
    std::vector<productdata::ProductRecord> records;
    const auto adopt = [&](const std::u16string& baseCode, productdata::ProductRecord record) {
        const auto& product = offered.at(baseCode);
        record.baseCode = baseCode;
        record.name = product->getName();
        record.dependencies = product->getDependencies();
        const auto archive = repository.getProductArchive(baseCode, platform);
        record.archiveSha256 = archive ? archive->sha256 : std::string();
        records.push_back(std::move(record));
    };
    for (const productdata::ProductRecord& known : installers.catalogue->getProducts()) {
        if (offered.count(known.baseCode) > 0 && offered.at(known.baseCode)) adopt(known.baseCode, known);
    }
    for (const auto& [baseCode, product] : offered) {
        if (product && installers.catalogue->find(baseCode) == nullptr) adopt(baseCode, {});
    }
    return {installers.file,
            std::make_shared<const install::productidentifier::ProductCatalogue>(std::move(records))};
}

}  // namespace velora::installer
