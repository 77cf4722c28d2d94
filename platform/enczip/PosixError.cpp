#include "PosixError.h"

#include <system_error>

namespace install::enczip {

void throwFileSystemError(const std::string& what, const std::filesystem::path& path, int error) {
    throw std::filesystem::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

}  // namespace install::enczip
