#include "ApplicationRegistry.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "UserFolders.h"
#include "fl/i18n/TextConversion.h"

namespace install::platformutil {
namespace {

constexpr const char* kEntryFileName = "InstallationFolder";

// Appends the parts of a key text; empty, "." and ".." parts are dropped so that no key can
// leave the registry folder.
void appendParts(std::filesystem::path& path, const std::u16string& text) {
    std::u16string part;
    auto flush = [&] {
        if (!part.empty() && part != u"." && part != u"..") path /= fl::i18n::to_string(part);
        part.clear();
    };
    for (char16_t c : text) {
        if (c == u'\\' || c == u'/') {
            flush();
        } else {
            part += c;
        }
    }
    flush();
}

}  // namespace

ApplicationRegistry::ApplicationRegistry(std::filesystem::path root) : root_(std::move(root)) {}

ApplicationRegistry ApplicationRegistry::forCurrentUser() {
    const std::filesystem::path config = UserFolders::configHome();
    return ApplicationRegistry(config.empty() ? config : config / "velora-installer" / "registry");
}

std::optional<std::filesystem::path> ApplicationRegistry::entryFile(const std::u16string& keyRoot,
                                                                    const std::u16string& subRoot,
                                                                    const std::u16string& key) const {
    if (root_.empty()) return std::nullopt;
    std::filesystem::path keyPath;
    appendParts(keyPath, key);
    if (keyPath.empty()) return std::nullopt;
    std::filesystem::path entry = root_;
    appendParts(entry, keyRoot);
    entry /= keyPath;
    appendParts(entry, subRoot);
    return entry / kEntryFileName;
}

std::optional<std::u16string> ApplicationRegistry::find(const std::u16string& keyRoot,
                                                        const std::u16string& subRoot,
                                                        const std::u16string& key) const {
    const auto file = entryFile(keyRoot, subRoot, key);
    if (!file) return std::nullopt;
    std::ifstream stream(*file, std::ios::binary);
    if (!stream) return std::nullopt;
    const std::string folder{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (folder.empty()) return std::nullopt;
    return fl::i18n::to_u16string(folder);
}

void ApplicationRegistry::record(const std::u16string& keyRoot, const std::u16string& subRoot,
                                 const std::u16string& key, const std::u16string& folder) const {
    const auto file = entryFile(keyRoot, subRoot, key);
    if (!file) {
        throw std::filesystem::filesystem_error("no registry entry for an empty key", root_,
                                                std::make_error_code(std::errc::invalid_argument));
    }
    if (folder.empty()) {
        std::filesystem::remove(*file);
        return;
    }
    std::filesystem::create_directories(file->parent_path());
    std::ofstream stream(*file, std::ios::binary | std::ios::trunc);
    stream << fl::i18n::to_string(folder);
    stream.close();
    if (!stream) {
        throw std::filesystem::filesystem_error("cannot write registry entry", *file,
                                                std::make_error_code(std::errc::io_error));
    }
}

}  // namespace install::platformutil
