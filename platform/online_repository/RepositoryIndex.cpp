#include "RepositoryIndex.h"

#include <cctype>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"
#include "foundation/json/Integer.h"

namespace install::repository_adapter {
namespace {

using nlohmann::json;

[[noreturn]] void refuse(const std::string& what) { throw std::invalid_argument(what); }

// Relative, and not climbing out of the repository: a damaged or hostile index must not send the
// installer elsewhere.
std::string relativeAddress(const json& file, const std::string& owner) {
    const std::string url = file.at("url").get<std::string>();
    const bool climbs = url == ".." || url.starts_with("../") || url.find("/../") != std::string::npos ||
                        url.ends_with("/..");
    if (url.empty() || url.front() == '/' || url.find("://") != std::string::npos || climbs ||
        url.find_first_of("\\?#") != std::string::npos)
        refuse(owner + ": the address \"" + url + "\" is not one inside the repository");
    return url;
}

IndexedFile fileFrom(const json& file, const std::string& owner) {
    IndexedFile indexed{relativeAddress(file, owner),
                        foundation::json::integerAt<std::uint64_t>(file, "size"),
                        file.at("sha256").get<std::string>()};
    const bool hex = indexed.sha256.size() == 64 &&
                     indexed.sha256.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (!hex) refuse(owner + ": the checksum is not 64 hexadecimal digits");
    return indexed;
}

std::vector<std::u16string> texts(const json& object, const char* key) {
    std::vector<std::u16string> values;
    for (const json& value : object.value(key, json::array()))
        values.push_back(fl::i18n::to_u16string(value.get<std::string>()));
    return values;
}

std::string installerName(const json& installer) {
    const std::string name = installer.at("name").get<std::string>();
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos ||
        name.front() == '.')
        refuse("the installer name \"" + name + "\" is not a plain file name");
    return name;
}

}  // namespace

RepositoryIndex RepositoryIndex::parse(const std::string& text) {
    try {
        const json document = json::parse(text);
        if (const int format = foundation::json::integerAt<int>(document, "formatVersion");
            format != kFormatVersion)
            refuse("format version " + std::to_string(format) + " is not known to this installer");
        RepositoryIndex index;
        index.platform = document.at("platform").get<std::string>();
        for (const json& product : document.at("products")) {
            IndexedProduct indexed;
            indexed.baseCode = fl::i18n::to_u16string(product.at("baseCode").get<std::string>());
            const std::string owner = "product " + fl::i18n::to_string(indexed.baseCode);
            if (indexed.baseCode.empty()) refuse("a product has no base code");
            indexed.name = fl::i18n::to_u16string(product.at("name").get<std::string>());
            indexed.version = product.value("version", "");
            indexed.updateLevel = foundation::json::integerOr(product, "updateLevel", 0);
            indexed.dependencies = texts(product, "dependencies");
            indexed.additionalLanguages = texts(product, "additionalLanguages");
            indexed.installSize = foundation::json::integerOr(product, "installSize", std::uint64_t{0});
            indexed.archive = fileFrom(product.at("archive"), owner);
            index.products.push_back(std::move(indexed));
        }
        for (const json& installer : document.value("installers", json::array())) {
            const std::string name = installerName(installer);
            index.installers.push_back({name, fileFrom(installer, "installer " + name)});
        }
        return index;
    } catch (const json::exception& error) {
        refuse(error.what());
    }
}

}  // namespace install::repository_adapter
