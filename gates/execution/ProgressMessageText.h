#pragma once

#include <cstdint>
#include <string>

namespace install::product_installer::workflow_utils {

// From this percent on, a progress page shows its completed text and no title: the last
// percent often never arrives before the engine returns.
inline constexpr std::uint64_t kCompletedPercent = 99;

// The done size right-aligned in 12 characters, so that the figures do not jump about while
// the page updates, then the total size, both as the size formatter writes them.
std::u16string progressSizesMessage(std::uint64_t doneBytes, std::uint64_t totalBytes);

}  // namespace install::product_installer::workflow_utils
