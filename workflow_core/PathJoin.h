#pragma once

#include <filesystem>
#include <string>

namespace install::product_installer::workflow_utils {

// The one place that joins a folder and a name for display and storage in the model: a
// backslash on Windows, a slash elsewhere. Neither part is checked or trimmed, so an empty
// part still yields its separator.
inline std::u16string joinPath(const std::u16string& folder, const std::u16string& name) {
    return folder + static_cast<char16_t>(std::filesystem::path::preferred_separator) + name;
}

}  // namespace install::product_installer::workflow_utils
