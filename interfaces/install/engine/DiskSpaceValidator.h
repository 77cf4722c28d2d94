#pragma once

#include <cstdint>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::engine {

// Free space of the volume a folder lives on. A folder that does not exist yet is measured on
// its nearest existing ancestor, where it would be created.
class COMPONENT_API DiskSpaceValidator {
public:
    DiskSpaceValidator();
    virtual ~DiskSpaceValidator();

    virtual bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t requiredBytes) const;
    // Bytes an unprivileged user may still write there. Throws std::system_error or
    // std::filesystem::filesystem_error when the volume cannot be examined.
    virtual std::uint64_t getAvailableDiskSpace(const std::u16string& folder) const;
};

}  // namespace install::engine
