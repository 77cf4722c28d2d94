// The installation record of a folder, read as the engine reads it: anything unusable is
// EngineInvalidInstalledProductsException; what is read writes back to the same record, and the
// uninstaller's list beside it stays plain ASCII lines whatever bytes the paths hold.
#include <algorithm>

#include "FuzzSupport.h"
#include "InstallationRecordReader.h"
#include "install/engine/EngineExceptions.h"

using install::engine::InstallationManifest;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const velora::fuzz::ScratchFolder folder;
    velora::fuzz::replaceFile(folder, InstallationManifest::kFileName, velora::fuzz::text(data, size));
    std::optional<InstallationManifest> record;
    try {
        record = install::engine::InstallationRecordReader::read(folder.path().u16string(), "fuzz");
    } catch (const install::engine::EngineInvalidInstalledProductsException&) {
        return 0;
    }
    velora::fuzz::check(record.has_value());
    const std::string written = record->toJson();
    velora::fuzz::check(InstallationManifest::fromJson(written).toJson() == written);
    const std::string list = record->fileList();
    velora::fuzz::check(
        std::all_of(list.begin(), list.end(), [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); }));
    return 0;
}
