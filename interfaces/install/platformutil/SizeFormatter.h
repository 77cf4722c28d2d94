#pragma once

#include <cstdint>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::platformutil {

// Sizes as people read them: binary units with one decimal ("1.5 GiB"), plain bytes below one
// KiB ("512 B"). Every message that shows a size goes through here, so all pages agree.
class COMPONENT_API SizeFormatter {
public:
    static std::string format(std::uint64_t bytes);
};

}  // namespace install::platformutil
