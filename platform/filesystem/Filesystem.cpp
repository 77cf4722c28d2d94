#include "fl/filesystem/Filesystem.h"

#include <cstdlib>
#include <filesystem>

#include "fl/i18n/TextConversion.h"

namespace fl::filesystem {
namespace {

std::filesystem::path native(const std::u16string& path) {
    return std::filesystem::path(fl::i18n::to_string(path));
}

}  // namespace

std::u16string tmpname() {
    for (const char* variable : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"}) {
        const char* value = std::getenv(variable);
        std::error_code ignored;
        if (value != nullptr && *value != '\0' && std::filesystem::is_directory(value, ignored)) {
            return fl::i18n::to_u16string(value);
        }
    }
    std::error_code ignored;
    return std::filesystem::is_directory("/tmp", ignored) ? u"/tmp" : u"";
}

bool exists(const std::u16string& path) { return std::filesystem::exists(native(path)); }

bool create_directories(const std::u16string& path) {
    return std::filesystem::create_directories(native(path));
}

std::u16string filename(const std::u16string& path) {
    const auto separator = path.find_last_of(u"/\\");
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace fl::filesystem
