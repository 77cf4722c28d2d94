#include "SequentialFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace install::engine {

SequentialFile::SequentialFile(const std::filesystem::path& path)
    : path_(path), descriptor_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (descriptor_ < 0) {
        throw std::filesystem::filesystem_error("Cannot open", path,
                                                std::error_code(errno, std::generic_category()));
    }
    ::posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SequentialFile::~SequentialFile() { ::close(descriptor_); }

std::size_t SequentialFile::read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer, size);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno != EINTR) {
            throw std::filesystem::filesystem_error("Cannot read", path_,
                                                    std::error_code(errno, std::generic_category()));
        }
    }
}

}  // namespace install::engine
