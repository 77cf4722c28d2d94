#include "install/productidentifier/ProductCatalogue.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"

namespace install::productidentifier {
namespace {

using nlohmann::json;
using platformutil::Platform;
using productdata::ProductRecord;

std::u16string text(const json& value) { return fl::i18n::to_u16string(value.get<std::string>()); }

std::u16string optionalText(const json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? std::u16string{} : text(*found);
}

bool optionalFlag(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->get<bool>();
}

Platform platformNamed(const std::string& name) {
    if (name == "windows") return Platform::Windows;
    if (name == "linux") return Platform::Linux;
    if (name == "macos") return Platform::MacOS;
    throw ProductCatalogueException("unknown platform \"" + name + "\" (expected windows, linux or macos)");
}

std::string checksum(const json& product) {
    const auto found = product.find("archiveSha256");
    if (found == product.end()) return {};
    std::string value = found->get<std::string>();
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    const bool valid = value.size() == 64 && std::all_of(value.begin(), value.end(),
                                                         [](unsigned char c) { return std::isxdigit(c); });
    if (!value.empty() && !valid)
        throw ProductCatalogueException("archiveSha256 is not 64 hexadecimal digits");
    return value;
}

ProductRecord parseProduct(const json& product) {
    if (!product.is_object()) throw ProductCatalogueException("a product entry is not an object");
    ProductRecord record;
    record.baseCode = text(product.at("baseCode"));
    if (record.baseCode.empty()) throw ProductCatalogueException("a product has an empty base code");
    record.name = text(product.at("name"));
    record.productFamily = optionalText(product, "family");
    record.isControlling = optionalFlag(product, "controlling");
    if (const auto found = product.find("dependencies"); found != product.end()) {
        for (const json& dependency : found->get<std::vector<json>>())
            record.dependencies.push_back(text(dependency));
    }
    if (const auto found = product.find("relativePath"); found != product.end()) {
        for (const auto& [platform, path] : found->items()) {
            record.relativeProductPath[platformNamed(platform)] =
                std::filesystem::path(path.get<std::string>());
        }
    }
    if (const auto found = product.find("detectRunningExe"); found != product.end()) {
        for (const auto& [platformCode, executable] : found->items()) {
            record.detectRunningExe[fl::i18n::to_u16string(platformCode)] = text(executable);
        }
    }
    if (const auto found = product.find("registry"); found != product.end()) {
        record.registryKeyRoot = optionalText(*found, "keyRoot");
        record.registryKey = optionalText(*found, "key");
        record.registryKeySubRoot = optionalText(*found, "subRoot");
    }
    record.isRequiredForMacOSApp = optionalFlag(product, "requiredForMacOSApp");
    record.archiveSha256 = checksum(product);
    return record;
}

std::string utf8(const std::u16string& value) { return fl::i18n::to_string(value); }

const char* platformName(Platform platform) {
    switch (platform) {
        case Platform::Windows:
            return "windows";
        case Platform::Linux:
            return "linux";
        case Platform::MacOS:
            return "macos";
    }
    return "linux";
}

json productJson(const ProductRecord& record) {
    json product = {{"baseCode", utf8(record.baseCode)}, {"name", utf8(record.name)}};
    if (!record.productFamily.empty()) product["family"] = utf8(record.productFamily);
    if (record.isControlling) product["controlling"] = true;
    product["dependencies"] = json::array();
    for (const auto& dependency : record.dependencies) product["dependencies"].push_back(utf8(dependency));
    for (const auto& [platform, path] : record.relativeProductPath)
        product["relativePath"][platformName(platform)] = path.string();
    for (const auto& [code, executable] : record.detectRunningExe)
        product["detectRunningExe"][utf8(code)] = utf8(executable);
    if (!record.registryKeyRoot.empty() || !record.registryKey.empty() || !record.registryKeySubRoot.empty())
        product["registry"] = {{"keyRoot", utf8(record.registryKeyRoot)},
                               {"key", utf8(record.registryKey)},
                               {"subRoot", utf8(record.registryKeySubRoot)}};
    if (record.isRequiredForMacOSApp) product["requiredForMacOSApp"] = true;
    if (!record.archiveSha256.empty()) product["archiveSha256"] = record.archiveSha256;
    return product;
}

}  // namespace

std::string ProductCatalogue::toJson() const {
    json products = json::array();
    for (const ProductRecord& record : products_) products.push_back(productJson(record));
    return json{{"products", products}}.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

ProductCatalogue ProductCatalogue::fromJson(std::string_view content) {
    std::vector<ProductRecord> products;
    std::size_t position = 0;
    try {
        const json document = json::parse(content);
        for (const json& product : document.at("products").get<std::vector<json>>()) {
            products.push_back(parseProduct(product));
            ++position;
        }
    } catch (const ProductCatalogueException& error) {
        throw ProductCatalogueException("product catalogue, product " + std::to_string(position + 1) + ": " +
                                        error.what());
    } catch (const json::exception& error) {
        throw ProductCatalogueException("product catalogue, product " + std::to_string(position + 1) + ": " +
                                        error.what());
    }
    return ProductCatalogue(std::move(products));
}

ProductCatalogue ProductCatalogue::fromFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw ProductCatalogueException("cannot open product catalogue " + file.string());
    const std::string content{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    try {
        return fromJson(content);
    } catch (const ProductCatalogueException& error) {
        throw ProductCatalogueException(file.string() + ": " + error.what());
    }
}

ProductCatalogue::ProductCatalogue(std::vector<ProductRecord> products) : products_(std::move(products)) {
    for (std::size_t i = 0; i < products_.size(); ++i) {
        if (!index_.emplace(products_[i].baseCode, i).second) {
            throw ProductCatalogueException("product catalogue lists base code " +
                                            fl::i18n::to_string(products_[i].baseCode) + " twice");
        }
    }
}

const ProductRecord* ProductCatalogue::find(const std::u16string& baseCode) const {
    const auto found = index_.find(baseCode);
    return found == index_.end() ? nullptr : &products_[found->second];
}

const std::vector<ProductRecord>& ProductCatalogue::getProducts() const { return products_; }

std::vector<std::u16string> ProductCatalogue::getAllDependencies(const std::u16string& baseCode) const {
    // Breadth first with a visited set: cycles end where they meet a product already seen.
    std::vector<std::u16string> dependencies;
    std::set<std::u16string> seen{baseCode};
    std::deque<std::u16string> pending{baseCode};
    while (!pending.empty()) {
        const ProductRecord* product = find(pending.front());
        pending.pop_front();
        if (product == nullptr) continue;
        for (const std::u16string& dependency : product->dependencies) {
            if (!seen.insert(dependency).second) continue;
            dependencies.push_back(dependency);
            pending.push_back(dependency);
        }
    }
    return dependencies;
}

ProductCatalogueException::~ProductCatalogueException() = default;
UnknownProductException::~UnknownProductException() = default;

}  // namespace install::productidentifier
