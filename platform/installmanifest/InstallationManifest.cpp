#include "InstallationManifest.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"
#include "foundation/json/Integer.h"

namespace install::engine {
namespace {

using nlohmann::json;

std::u16string text(const json& value) { return fl::i18n::to_u16string(value.get<std::string>()); }

std::string utf8(const std::u16string& value) { return fl::i18n::to_string(value); }

InstalledProductEntry productFrom(const json& product) {
    InstalledProductEntry entry{text(product.at("baseCode")), text(product.at("name")),
                                text(product.at("family"))};
    for (const json& file : product.value("files", json::array())) {
        entry.files.push_back({file.at("path").get<std::string>(),
                               foundation::json::integerAt<std::uint64_t>(file, "size"),
                               file.at("sha256").get<std::string>()});
    }
    for (const json& link : product.value("links", json::array()))
        entry.links.push_back({link.at("path").get<std::string>(), link.at("target").get<std::string>()});
    for (const json& folder : product.value("folders", json::array()))
        entry.folders.push_back(folder.get<std::string>());
    return entry;
}

constexpr std::pair<InstalledRegistration::Kind, const char*> kRegistrationKinds[] = {
    {InstalledRegistration::Kind::DesktopShortcut, "desktopShortcut"},
    {InstalledRegistration::Kind::MenuEntry, "menuEntry"},
    {InstalledRegistration::Kind::CommandLink, "commandLink"},
    {InstalledRegistration::Kind::InstallationRecord, "installationRecord"}};

const char* kindName(InstalledRegistration::Kind kind) {
    for (const auto& [known, name] : kRegistrationKinds)
        if (known == kind) return name;
    return "";
}

InstalledRegistration registrationFrom(const json& registration) {
    const std::string kind = registration.at("kind").get<std::string>();
    for (const auto& [known, name] : kRegistrationKinds) {
        if (kind == name)
            return {known, registration.at("path").get<std::string>(),
                    registration.at("target").get<std::string>(), registration.value("sha256", "")};
    }
    throw InstallationManifestException("unknown registration kind \"" + kind + "\"");
}

// A JSON string. Archives may name files in any bytes; what is not UTF-8 is replaced here (the
// list beside the record keeps such names exactly).
std::string quoted(const std::string& value) {
    return json(value).dump(-1, ' ', false, json::error_handler_t::replace);
}

// `"key": [...]` among a product's fields, one item per line.
template <class Items, class WriteItem>
void appendList(std::string& out, const char* key, const Items& items, WriteItem writeItem) {
    out += ",\n      \"";
    out += key;
    out += "\": [";
    const char* separator = "\n        ";
    for (const auto& item : items) {
        out += separator;
        writeItem(item);
        separator = ",\n        ";
    }
    out += items.empty() ? "]" : "\n      ]";
}

// A product written straight as text: a record lists every file of a release, and building it
// as a document first costs more than the rest of its writing.
void appendProduct(std::string& out, const InstalledProductEntry& product) {
    out += "    {\n      \"baseCode\": ";
    out += quoted(utf8(product.baseCode));
    out += ",\n      \"name\": ";
    out += quoted(utf8(product.name));
    out += ",\n      \"family\": ";
    out += quoted(utf8(product.productFamily));
    appendList(out, "files", product.files, [&](const InstalledFile& file) {
        out += "{\"path\": " + quoted(file.path) + ", \"size\": " + std::to_string(file.size) +
               ", \"sha256\": " + quoted(file.sha256) + '}';
    });
    appendList(out, "links", product.links, [&](const InstalledLink& link) {
        out += "{\"path\": " + quoted(link.path) + ", \"target\": " + quoted(link.target) + '}';
    });
    appendList(out, "folders", product.folders, [&](const std::string& folder) { out += quoted(folder); });
    out += "\n    }";
}

std::string escaped(const std::string& path) {
    std::string line;
    for (const unsigned char byte : path) {
        const bool plain =
            (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
        if (plain || std::strchr("._-+/", byte) != nullptr) {
            line.push_back(static_cast<char>(byte));
        } else {
            const char octal[] = {'\\',
                                  '0',
                                  static_cast<char>('0' + (byte >> 6)),
                                  static_cast<char>('0' + (byte >> 3 & 7)),
                                  static_cast<char>('0' + (byte & 7)),
                                  '\0'};
            line += octal;
        }
    }
    return line;
}

// Written under an unguessable name created exclusively without following links, flushed and
// renamed over `name`; the folder is flushed afterwards so the rename lasts too.
void replaceFile(int folder, const std::filesystem::path& shownFolder, const std::string& name,
                 const std::string& content) {
    std::random_device random;
    std::string aside;
    int file = -1;
    for (int attempt = 0; file < 0 && attempt < 100; ++attempt) {
        aside = name + ".tmp" + std::to_string(std::uint64_t{random()} << 32 | random());
        file = ::openat(folder, aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (file < 0 && errno != EEXIST) break;
    }
    if (file < 0)
        throw InstallationManifestException("cannot write installation record in " + shownFolder.string());
    bool written = true;
    for (std::size_t done = 0; written && done < content.size();) {
        const ssize_t count = ::write(file, content.data() + done, content.size() - done);
        written = count > 0 || (count < 0 && errno == EINTR);
        done += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    written = written && ::fsync(file) == 0;
    written = ::close(file) == 0 && written;
    if (!written || ::renameat(folder, aside.c_str(), folder, name.c_str()) != 0) {
        ::unlinkat(folder, aside.c_str(), 0);
        throw InstallationManifestException("cannot replace installation record " +
                                            (shownFolder / name).string());
    }
    ::fsync(folder);
}

}  // namespace

std::filesystem::path InstallationManifest::fileIn(const std::filesystem::path& folder) {
    return folder / kFileName;
}

InstallationManifest InstallationManifest::fromJson(const std::string& content) {
    const json document = json::parse(content);
    const std::int32_t format = foundation::json::integerAt<std::int32_t>(document, "formatVersion");
    if (format != 1 && format != kFormatVersion)
        throw InstallationManifestException("unsupported format version " + std::to_string(format));
    InstallationManifest manifest;
    manifest.setRelease(text(document.at("releaseFamily")), text(document.at("releaseStatus")),
                        foundation::json::integerAt<std::int32_t>(document, "updateLevel"));
    manifest.createdFolder_ = document.value("createdFolder", false);
    std::set<std::u16string> seen;
    for (const json& product : document.at("products").get<std::vector<json>>()) {
        InstalledProductEntry entry = productFrom(product);
        if (entry.baseCode.empty()) throw InstallationManifestException("a product has an empty base code");
        if (!seen.insert(entry.baseCode).second)
            throw InstallationManifestException("product " + utf8(entry.baseCode) + " is listed twice");
        manifest.addProduct(std::move(entry));
    }
    for (const json& registration : document.value("registrations", json::array()))
        manifest.addRegistration(registrationFrom(registration));
    manifest.installer_ = document.value("installer", "");
    return manifest;
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
        return fromJson(content);
    } catch (const std::exception& failure) {
        throw InstallationManifestException(file.string() + ": " + failure.what());
    }
}

std::string InstallationManifest::toJson() const {
    std::string out = "{\n  \"formatVersion\": " + std::to_string(kFormatVersion);
    out += ",\n  \"releaseFamily\": " + quoted(utf8(releaseFamily_));
    out += ",\n  \"releaseStatus\": " + quoted(utf8(releaseStatus_));
    out += ",\n  \"updateLevel\": " + std::to_string(updateLevel_);
    out += createdFolder_ ? ",\n  \"createdFolder\": true" : ",\n  \"createdFolder\": false";
    out += ",\n  \"products\": [";
    const char* separator = "\n";
    for (const InstalledProductEntry& product : products_) {
        out += separator;
        appendProduct(out, product);
        separator = ",\n";
    }
    out += products_.empty() ? "]" : "\n  ]";
    out += ",\n  \"registrations\": [";
    separator = "\n    ";
    for (const InstalledRegistration& registration : registrations_) {
        out += separator;
        out += "{\"kind\": \"" + std::string(kindName(registration.kind)) +
               "\", \"path\": " + quoted(registration.path) + ", \"target\": " + quoted(registration.target) +
               ", \"sha256\": " + quoted(registration.sha256) + '}';
        separator = ",\n    ";
    }
    out += registrations_.empty() ? "]" : "\n  ]";
    out += ",\n  \"installer\": " + quoted(installer_) + "\n}\n";
    return out;
}

std::string InstallationManifest::fileList() const {
    std::set<std::string> entries;
    std::set<std::pair<std::ptrdiff_t, std::string>> folders;
    for (const InstalledProductEntry& product : products_) {
        for (const InstalledFile& file : product.files) entries.insert("f " + escaped(file.path));
        for (const InstalledLink& link : product.links) entries.insert("l " + escaped(link.path));
        for (const std::string& folder : product.folders)
            folders.emplace(-std::count(folder.begin(), folder.end(), '/'), "d " + escaped(folder));
    }
    std::string list;
    for (const std::string& entry : entries) list += entry + '\n';
    for (const auto& [depth, folder] : folders) list += folder + '\n';
    if (createdFolder_) list += "d .\n";
    if (!installer_.empty()) list += "i " + escaped(installer_) + '\n';
    return list;
}

void InstallationManifest::writeTo(const std::filesystem::path& folder) const {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        throw InstallationManifestException("cannot open installation folder " + folder.string());
    try {
        replaceFile(descriptor, folder, kFileListName, fileList());
        replaceFile(descriptor, folder, kFileName, toJson());
    } catch (...) {
        ::close(descriptor);
        throw;
    }
    ::close(descriptor);
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
    return std::erase_if(products_,
                         [&](const InstalledProductEntry& entry) { return entry.baseCode == baseCode; }) > 0;
}

void InstallationManifest::addRegistration(InstalledRegistration registration) {
    removeRegistration(registration.path);
    registrations_.push_back(std::move(registration));
}

void InstallationManifest::removeRegistration(const std::string& path) {
    std::erase_if(registrations_, [&](const InstalledRegistration& entry) { return entry.path == path; });
}

InstallationManifestException::~InstallationManifestException() = default;

}  // namespace install::engine
