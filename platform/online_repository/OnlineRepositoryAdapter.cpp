#include "OnlineRepositoryAdapter.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <system_error>

#include "OnlineProduct.h"
#include "fl/i18n/TextConversion.h"
#include "install/downloader/Downloader.h"
#include "install/downloader/DownloaderExceptions.h"
#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace install::repository_adapter {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLocation = "OnlineProductRepoAdapter::getAvailableProducts";
constexpr const char* kUnreachableCode = "1510";
constexpr const char* kNoIndexCode = "1520";
constexpr const char* kUnreadableCode = "1530";

// A path segment as an address carries it.
std::string encoded(const std::string& segment) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : segment) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

fs::path makeWorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "velora-repository-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(),
                                "cannot make a folder for the product indexes");
    return pattern;
}

}  // namespace

OnlineRepositoryAdapter::OnlineRepositoryAdapter(std::string baseAddress, std::string platform)
    : baseAddress_(std::move(baseAddress)), platforms_{std::move(platform)} {
    if (!baseAddress_.empty() && baseAddress_.back() != '/') baseAddress_ += '/';
}

OnlineRepositoryAdapter::~OnlineRepositoryAdapter() {
    std::error_code ignored;
    if (!workFolder_.empty()) fs::remove_all(workFolder_, ignored);
}

void OnlineRepositoryAdapter::configure(const config::RepoAdapterConfiguration& configuration) {
    const std::lock_guard lock(mutex_);
    if (!configuration.getReleaseFamily().empty())
        releaseFamily_ = fl::i18n::to_string(configuration.getReleaseFamily());
    if (!configuration.getReleaseStatus().empty())
        releaseStatus_ = fl::i18n::to_string(configuration.getReleaseStatus());
    if (!configuration.getPlatforms().empty()) {
        platforms_.clear();
        for (const auto& platform : configuration.getPlatforms())
            platforms_.push_back(fl::i18n::to_string(platform));
    }
    accessToken_ = fl::i18n::to_string(configuration.getKxAccountToken());
    indexes_.clear();
}

std::string OnlineRepositoryAdapter::absolute(const std::string& relative) const {
    return baseAddress_ + relative;
}

std::string OnlineRepositoryAdapter::fetch(const std::string& relative, const std::string& platform) const {
    const fs::path target =
        workFolder_ / ("index-" + platform + "-" +
                       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".json");
    downloader::Downloader downloader(absolute(relative), target.u16string());
    if (!proxyAddress_.empty()) downloader.setProxyUrl(proxyAddress_);
    if (!proxyUserName_.empty() && !proxyPassword_.empty())
        downloader.setProxySettings(proxyUserName_, proxyPassword_);
    if (!accessToken_.empty()) downloader.setAccessToken(accessToken_);
    downloader.setTimeouts(std::chrono::seconds(15), std::chrono::seconds(30));
    // An index broken off on the way (no error answer) is fetched on from where it stopped, twice
    // at most, before the repository counts as unreachable.
    for (int attempt = 0;; ++attempt) {
        try {
            downloader.download();
            break;
        } catch (const downloader::DownloaderHttpRequestFailedException& error) {
            if (error.httpStatus() >= 400 || attempt == 2) {
                std::error_code ignored;
                fs::remove(fs::path(target) += ".part", ignored);
                throw;
            }
        }
    }
    std::string text;
    {
        std::ifstream stream(target, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    std::error_code ignored;
    fs::remove(target, ignored);
    return text;
}

void OnlineRepositoryAdapter::fail(const std::exception& error, const std::string& platform) const {
    const std::string release = releaseFamily_ + " " + releaseStatus_ + " for " + platform;
    if (dynamic_cast<const downloader::DownloaderProxyAuthenticationException*>(&error) != nullptr)
        throw online_service::ProxyAuthenticationRequiredException(error.what());
    if (const auto* failed = dynamic_cast<const downloader::DownloaderHttpRequestFailedException*>(&error);
        failed != nullptr && failed->httpStatus() == 404)
        throw RepoAdapterDWSDownloadException(
            kNoIndexCode, "The product repository has no products for the release", release, kLocation);
    if (dynamic_cast<const std::invalid_argument*>(&error) != nullptr)
        throw RepoAdapterDWSExtractException(kUnreadableCode, "The product index cannot be read",
                                             release + ": " + error.what(), kLocation);
    throw RepoAdapterWebServiceException(kUnreachableCode, "The product repository cannot be reached",
                                         release + ": " + error.what(), kLocation);
}

const RepositoryIndex& OnlineRepositoryAdapter::index(const std::string& platform) {
    if (const auto found = indexes_.find(platform); found != indexes_.end()) return found->second;
    try {
        if (workFolder_.empty()) workFolder_ = makeWorkFolder();
        const std::string address = "index/" + encoded(releaseFamily_) + "/" + encoded(releaseStatus_) + "/" +
                                    encoded(platform) + ".json";
        RepositoryIndex parsed = RepositoryIndex::parse(fetch(address, platform));
        if (parsed.platform != platform)
            throw std::invalid_argument("the index of " + platform + " says it is for " + parsed.platform);
        return indexes_.emplace(platform, std::move(parsed)).first->second;
    } catch (const RepoAdapterException&) {
        throw;
    } catch (const std::exception& error) {
        fail(error, platform);
    }
}

ProductMap OnlineRepositoryAdapter::getAvailableProducts() {
    const std::lock_guard lock(mutex_);
    struct Sizes {
        std::u16string name;
        std::uint64_t download = 0;
        std::uint64_t install = 0;
        std::vector<std::u16string> dependencies;
    };
    std::map<std::u16string, Sizes> sizes;
    for (const std::string& platform : platforms_) {
        for (const IndexedProduct& product : index(platform).products) {
            Sizes& entry = sizes[product.baseCode];
            if (entry.name.empty()) {
                entry.name = product.name;
                entry.install = product.installSize;
                entry.dependencies = product.dependencies;
            }
            entry.download += product.archive.size;
        }
    }
    ProductMap products;
    for (const auto& [code, entry] : sizes)
        products.emplace(code, std::make_shared<OnlineProduct>(code, entry.name, entry.download,
                                                               entry.install, entry.dependencies));
    return products;
}

std::u16string OnlineRepositoryAdapter::getProductArchivePath(const std::u16string& baseCode) {
    const auto source = getProductArchive(baseCode, platforms_.front());
    return source ? fl::i18n::to_u16string(source->address) : std::u16string();
}

std::optional<ArchiveSource> OnlineRepositoryAdapter::getProductArchive(const std::u16string& baseCode,
                                                                        const std::string& platform) {
    const std::lock_guard lock(mutex_);
    for (const IndexedProduct& product : index(platform).products) {
        if (product.baseCode == baseCode)
            return ArchiveSource{absolute(product.archive.url), product.archive.size, product.archive.sha256,
                                 accessToken_};
    }
    return std::nullopt;
}

std::vector<std::u16string> OnlineRepositoryAdapter::getAvailableProductBasecodes() {
    std::vector<std::u16string> codes;
    for (const auto& [code, product] : getAvailableProducts()) codes.push_back(code);
    return codes;
}

bool OnlineRepositoryAdapter::doProductsExist() {
    try {
        return !getAvailableProducts().empty();
    } catch (const RepoAdapterException&) {
        return false;
    }
}

std::map<std::string, std::string> OnlineRepositoryAdapter::getInstallerUrls(
    const std::vector<std::string>& platforms) {
    const std::lock_guard lock(mutex_);
    std::map<std::string, std::string> installers;
    for (const std::string& platform : platforms) {
        for (const IndexedInstaller& installer : index(platform).installers)
            installers.emplace(installer.name, absolute(installer.file.url));
    }
    return installers;
}

std::vector<std::u16string> OnlineRepositoryAdapter::getAdditionalLanguages() {
    const std::lock_guard lock(mutex_);
    std::vector<std::u16string> languages;
    for (const std::string& platform : platforms_) {
        for (const IndexedProduct& product : index(platform).products) {
            for (const std::u16string& language : product.additionalLanguages) {
                if (std::find(languages.begin(), languages.end(), language) == languages.end())
                    languages.push_back(language);
            }
        }
    }
    return languages;
}

void OnlineRepositoryAdapter::setProxyCredentials(const std::string& userName, const std::string& password) {
    const std::lock_guard lock(mutex_);
    proxyUserName_ = userName;
    proxyPassword_ = password;
}

void OnlineRepositoryAdapter::setProxyAddress(const std::string& address) {
    const std::lock_guard lock(mutex_);
    proxyAddress_ = address;
}

}  // namespace install::repository_adapter
