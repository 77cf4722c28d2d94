#include "InstallationManifest.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"

namespace install::engine {
namespace {

using nlohmann::json;

std::u16string text(const json& value) { return fl::i18n::to_u16string(value.get<std::string>()); }

std::string utf8(const std::u16string& value) { return fl::i18n::to_string(value); }

InstallationManifest parse(const std::string& content) {
    const json document = json::parse(content);
    const std::int32_t format = document.at("formatVersion").get<std::int32_t>();
    if (format != InstallationManifest::kFormatVersion) {
        throw InstallationManifestException("unsupported format version " + std::to_string(format));
    }
    InstallationManifest manifest;
    manifest.setRelease(text(document.at("releaseFamily")), text(document.at("releaseStatus")),
                        document.at("updateLevel").get<std::int32_t>());
    std::set<std::u16string> seen;
    for (const json& product : document.at("products").get<std::vector<json>>()) {
        InstalledProductEntry entry{text(product.at("baseCode")), text(product.at("name")),
                                    text(product.at("family"))};
        if (entry.baseCode.empty()) throw InstallationManifestException("a product has an empty base code");
        if (!seen.insert(entry.baseCode).second) {
            throw InstallationManifestException("product " + utf8(entry.baseCode) + " is listed twice");
        }
        manifest.addProduct(std::move(entry));
    }
    return manifest;
}

}  // namespace

std::filesystem::path InstallationManifest::fileIn(const std::filesystem::path& folder) {
    return folder / kFileName;
}

std::optional<InstallationManifest> InstallationManifest::readFrom(const std::filesystem::path& folder) {
    const std::filesystem::path file = fileIn(folder);
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    if (error || !stream)
        throw InstallationManifestException("cannot read installation record " + file.string());
    const std::string content{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    try {
        return parse(content);
    } catch (const json::exception& failure) {
        throw InstallationManifestException(file.string() + ": " + failure.what());
    } catch (const InstallationManifestException& failure) {
        throw InstallationManifestException(file.string() + ": " + failure.what());
    }
}

void InstallationManifest::writeTo(const std::filesystem::path& folder) const {
    json products = json::array();
    for (const InstalledProductEntry& product : products_) {
        products.push_back({{"baseCode", utf8(product.baseCode)},
                            {"name", utf8(product.name)},
                            {"family", utf8(product.productFamily)}});
    }
    const json document = {{"formatVersion", kFormatVersion},
                           {"releaseFamily", utf8(releaseFamily_)},
                           {"releaseStatus", utf8(releaseStatus_)},
                           {"updateLevel", updateLevel_},
                           {"products", products}};

    const std::filesystem::path file = fileIn(folder);
    const std::filesystem::path aside = file.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream stream(aside, std::ios::binary | std::ios::trunc);
        stream << document.dump(2) << '\n';
        stream.close();
        if (!stream)
            throw InstallationManifestException("cannot write installation record " + aside.string());
    }
    std::error_code error;
    std::filesystem::rename(aside, file, error);
    if (error) {
        std::filesystem::remove(aside, error);
        throw InstallationManifestException("cannot replace installation record " + file.string());
    }
}

const std::u16string& InstallationManifest::getReleaseFamily() const { return releaseFamily_; }
const std::u16string& InstallationManifest::getReleaseStatus() const { return releaseStatus_; }
std::int32_t InstallationManifest::getUpdateLevel() const { return updateLevel_; }

void InstallationManifest::setRelease(std::u16string releaseFamily, std::u16string releaseStatus,
                                      std::int32_t updateLevel) {
    releaseFamily_ = std::move(releaseFamily);
    releaseStatus_ = std::move(releaseStatus);
    updateLevel_ = updateLevel;
}

const std::vector<InstalledProductEntry>& InstallationManifest::getProducts() const { return products_; }

void InstallationManifest::addProduct(InstalledProductEntry product) {
    const auto existing =
        std::find_if(products_.begin(), products_.end(),
                     [&](const InstalledProductEntry& entry) { return entry.baseCode == product.baseCode; });
    if (existing != products_.end()) {
        *existing = std::move(product);
    } else {
        products_.push_back(std::move(product));
    }
}

bool InstallationManifest::removeProduct(const std::u16string& baseCode) {
    const auto removed = std::erase_if(
        products_, [&](const InstalledProductEntry& entry) { return entry.baseCode == baseCode; });
    return removed > 0;
}

InstallationManifestException::~InstallationManifestException() = default;

}  // namespace install::engine
