#include "host/FileText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace velora::installer {

std::string readWholeFile(const std::filesystem::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) throw std::system_error(errno, std::generic_category());
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            const int error = errno;
            ::close(descriptor);
            throw std::system_error(error, std::generic_category());
        }
        if (count == 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(descriptor);
    return text;
}

}  // namespace velora::installer
