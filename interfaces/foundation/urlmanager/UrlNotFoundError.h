#pragma once

#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace foundation::urlmanager {

// The configuration holds no address under the key asked for.
class COMPONENT_API UrlNotFoundError : public std::runtime_error {
public:
    UrlNotFoundError(const std::string& key, const std::string& configurationFile)
        : std::runtime_error("No address configured for \"" + key + "\" in " + configurationFile),
          key_(key) {}

    const std::string& key() const noexcept { return key_; }

private:
    std::string key_;
};

}  // namespace foundation::urlmanager
