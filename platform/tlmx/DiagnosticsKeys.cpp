#include "install/tlmx/DiagnosticsKeys.h"

#include <type_traits>

namespace install::tlmx {
namespace {

template <class Key>
constexpr const char* kindName() {
    if constexpr (std::is_same_v<Key, ErrorDataKey>) {
        return "error";
    } else if constexpr (std::is_same_v<Key, ProductDataKey>) {
        return "product";
    } else if constexpr (std::is_same_v<Key, SessionDataKey>) {
        return "session";
    } else {
        return "gpu";
    }
}

}  // namespace

std::string keyName(const DiagnosticsKey& key) {
    return std::visit(
        [](auto value) {
            using Key = decltype(value);
            return std::string(kindName<Key>()) + "." + std::to_string(static_cast<int>(value));
        },
        key);
}

}  // namespace install::tlmx
