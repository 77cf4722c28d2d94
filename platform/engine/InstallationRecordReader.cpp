#include "InstallationRecordReader.h"

#include <filesystem>

#include "fl/i18n/TextConversion.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine {
namespace {

constexpr const char* kInvalidRecordCode = "2110";

}  // namespace

std::optional<InstallationManifest> InstallationRecordReader::read(const std::u16string& folder,
                                                                   const char* location) {
    // An empty folder would name the current folder; it holds no installation by definition.
    if (folder.empty()) return std::nullopt;
    try {
        return InstallationManifest::readFrom(std::filesystem::path(fl::i18n::to_string(folder)));
    } catch (const InstallationManifestException& error) {
        throw EngineInvalidInstalledProductsException(
            kInvalidRecordCode, "Unable to read the installed products", error.what(), location);
    }
}

}  // namespace install::engine
