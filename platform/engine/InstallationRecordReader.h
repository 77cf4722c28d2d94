#pragma once

#include <optional>
#include <string>

#include "InstallationManifest.h"

namespace install::engine {

// Reads a folder's installation record in the engine's terms.
class InstallationRecordReader {
public:
    // Nothing for an empty folder text or a folder without a record; an unreadable record
    // throws EngineInvalidInstalledProductsException naming `location`.
    static std::optional<InstallationManifest> read(const std::u16string& folder, const char* location);
};

}  // namespace install::engine
