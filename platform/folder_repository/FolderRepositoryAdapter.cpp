#include "FolderRepositoryAdapter.h"

#include <system_error>
#include <utility>

#include "ZipArchiveInspector.h"
#include "fl/i18n/TextConversion.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::repository_adapter {
namespace {

namespace fs = std::filesystem;

constexpr const char* kArchiveExtension = ".enc";
constexpr const char* kCommonFolder = "common";
constexpr const char* kLocation = "FolderProductRepoAdapter::getAvailableProducts";
constexpr const char* kCatalogueErrorCode = "1410";
constexpr const char* kArchiveErrorCode = "1420";

bool isArchive(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.path().extension() == kArchiveExtension && entry.is_regular_file(error);
}

}  // namespace

FolderRepositoryAdapter::FolderRepositoryAdapter(
    std::filesystem::path packagesRoot, std::shared_ptr<const productidentifier::ProductCatalogue> catalogue)
    : packagesRoot_(std::move(packagesRoot)), catalogue_(std::move(catalogue)) {}

FolderRepositoryAdapter::FolderRepositoryAdapter(std::filesystem::path packagesRoot)
    : FolderRepositoryAdapter(std::move(packagesRoot), nullptr) {}

FolderRepositoryAdapter::~FolderRepositoryAdapter() = default;

void FolderRepositoryAdapter::configure(const config::RepoAdapterConfiguration& configuration) {
    std::lock_guard lock(mutex_);
    if (!configuration.getPackagesRoot().empty())
        packagesRoot_ = fs::path(fl::i18n::to_string(configuration.getPackagesRoot()));
    listing_.reset();
}

void FolderRepositoryAdapter::refresh() {
    std::lock_guard lock(mutex_);
    listing_.reset();
}

std::filesystem::path FolderRepositoryAdapter::getPackagesRoot() const {
    std::lock_guard lock(mutex_);
    return packagesRoot_;
}

std::shared_ptr<const productidentifier::ProductCatalogue> FolderRepositoryAdapter::catalogue() {
    if (catalogue_) return catalogue_;
    try {
        catalogue_ = productidentifier::ProductIdentifier().getCatalogue();
    } catch (const std::exception& error) {
        throw RepoAdapterDWSDownloadException(kCatalogueErrorCode, "Unable to read the product catalogue",
                                              error.what(), kLocation);
    }
    return catalogue_;
}

FolderRepositoryAdapter::Listing FolderRepositoryAdapter::readFolder(
    const productidentifier::ProductCatalogue& catalogue) const {
    Listing listing;
    for (const fs::path& folder : {packagesRoot_, packagesRoot_ / kCommonFolder}) {
        std::error_code error;
        if (packagesRoot_.empty() || !fs::is_directory(folder, error)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            if (!isArchive(entry)) continue;
            const std::u16string baseCode = fl::i18n::to_u16string(entry.path().stem().string());
            const productdata::ProductRecord* record = catalogue.find(baseCode);
            if (record == nullptr || listing.archives.count(baseCode) > 0) continue;
            ArchiveSizes sizes;
            try {
                sizes = ZipArchiveInspector::inspect(entry.path());
            } catch (const ArchiveInspectionError& failure) {
                throw RepoAdapterDWSExtractException(kArchiveErrorCode, "Unable to read a product archive",
                                                     failure.what(), kLocation);
            }
            listing.archives.emplace(baseCode, entry.path());
            listing.products.emplace(
                baseCode, std::make_shared<const FolderProduct>(baseCode, record->name, entry.path(),
                                                                sizes.archiveBytes, sizes.unpackedBytes));
        }
    }
    return listing;
}

FolderRepositoryAdapter::Listing& FolderRepositoryAdapter::listing() {
    if (!listing_) listing_ = readFolder(*catalogue());
    return *listing_;
}

ProductMap FolderRepositoryAdapter::getAvailableProducts() {
    std::lock_guard lock(mutex_);
    return listing().products;
}

std::u16string FolderRepositoryAdapter::getProductArchivePath(const std::u16string& baseCode) {
    std::lock_guard lock(mutex_);
    const auto& archives = listing().archives;
    const auto found = archives.find(baseCode);
    return found == archives.end() ? std::u16string{} : found->second.u16string();
}

std::optional<ArchiveSource> FolderRepositoryAdapter::getProductArchive(const std::u16string& baseCode,
                                                                        const std::string&) {
    std::lock_guard lock(mutex_);
    const auto& archives = listing().archives;
    const auto found = archives.find(baseCode);
    if (found == archives.end()) return std::nullopt;
    std::error_code error;
    const auto size = fs::file_size(found->second, error);
    const auto* record = catalogue()->find(baseCode);
    return ArchiveSource{found->second.string(), error ? 0 : size, record ? record->archiveSha256 : "", ""};
}

std::vector<std::u16string> FolderRepositoryAdapter::getAvailableProductBasecodes() {
    std::lock_guard lock(mutex_);
    std::vector<std::u16string> baseCodes;
    for (const auto& [baseCode, product] : listing().products) baseCodes.push_back(baseCode);
    return baseCodes;
}

bool FolderRepositoryAdapter::doProductsExist() {
    try {
        std::lock_guard lock(mutex_);
        return !listing().products.empty();
    } catch (const RepoAdapterException&) {
        return false;
    }
}

std::map<std::string, std::string> FolderRepositoryAdapter::getInstallerUrls(
    const std::vector<std::string>&) {
    return {};
}

std::vector<std::u16string> FolderRepositoryAdapter::getAdditionalLanguages() { return {}; }

void FolderRepositoryAdapter::setProxyCredentials(const std::string& userName, const std::string& password) {
    std::lock_guard lock(mutex_);
    proxyUserName_ = userName;
    proxyPassword_ = password;
}

}  // namespace install::repository_adapter
