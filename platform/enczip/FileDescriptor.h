#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace install::enczip {

// An open file or folder descriptor, closed when the owner goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(descriptor_, other.descriptor_);
        return *this;
    }

    // The same folder opened anew: listing it does not move the original's position.
    static FileDescriptor reopenFolder(int folder) {
        return FileDescriptor(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }

    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(descriptor_, -1); }

private:
    int descriptor_ = -1;
};

}  // namespace install::enczip
