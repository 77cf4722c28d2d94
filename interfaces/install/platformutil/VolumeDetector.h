#pragma once

#include <cstdint>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::platformutil {

// Tells whether two folders share one volume, so that space checks can add up what both need.
// A folder that does not exist yet counts on the volume of its nearest existing ancestor.
class COMPONENT_API VolumeDetector {
public:
    VolumeDetector();
    virtual ~VolumeDetector();

    virtual bool isSameVolume(const std::u16string& first, const std::u16string& second) const;
    // Device number of the volume; throws std::invalid_argument for an empty path and
    // std::filesystem::filesystem_error when the path cannot be examined.
    virtual std::uint64_t getVolumeId(const std::u16string& path) const;
};

}  // namespace install::platformutil
