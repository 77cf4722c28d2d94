#include "ArchiveFetcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "SequentialFile.h"
#include "Sha256.h"

namespace install::engine {

using enczip::Sha256;
namespace {

[[noreturn]] void fail(const char* what, const std::filesystem::path& path) {
    throw std::filesystem::filesystem_error(what, path, std::error_code(errno, std::generic_category()));
}

// The copy being written; removed unless kept.
class PartialCopy {
public:
    explicit PartialCopy(std::filesystem::path path)
        : path_(std::move(path)),
          descriptor_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {
        if (descriptor_ < 0) fail("Cannot create", path_);
    }
    ~PartialCopy() {
        if (descriptor_ >= 0) ::close(descriptor_);
        if (!kept_) ::unlink(path_.c_str());
    }
    PartialCopy(const PartialCopy&) = delete;
    PartialCopy& operator=(const PartialCopy&) = delete;

    void write(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t count = ::write(descriptor_, data, size);
            if (count < 0) {
                if (errno == EINTR) continue;
                fail("Cannot write", path_);
            }
            data += count;
            size -= static_cast<std::size_t>(count);
        }
    }
    void keep() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (::close(descriptor) != 0) fail("Cannot write", path_);
        kept_ = true;
    }

private:
    std::filesystem::path path_;
    int descriptor_;
    bool kept_ = false;
};

}  // namespace

ArchiveFetcher::Fetched ArchiveFetcher::fetch(const std::filesystem::path& source,
                                              const std::filesystem::path& folder, const Progress& progress) {
    SequentialFile input(source);
    const std::filesystem::path target = folder / source.filename();
    PartialCopy copy(target);
    Sha256 digest;
    const auto buffer = std::make_unique<char[]>(SequentialFile::kBlockSize);
    std::uint64_t copied = 0;
    while (const std::size_t count = input.read(buffer.get(), SequentialFile::kBlockSize)) {
        digest.update(buffer.get(), count);
        copy.write(buffer.get(), count);
        copied += count;
        if (progress) progress(copied);
    }
    copy.keep();
    return {target, digest.finishHex()};
}

}  // namespace install::engine
