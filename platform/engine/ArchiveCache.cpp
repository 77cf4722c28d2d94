// The folder an online installation downloads into, kept from one run into the same
// installation folder to the next until the installation succeeds.
#include "ArchiveCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "Sha256.h"
#include "fl/i18n/TextConversion.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

constexpr std::size_t kKeyDigits = 16;

std::string shortDigest(const std::string& text) {
    return enczip::Sha256::ofBytes(text).substr(0, kKeyDigits);
}

// Only a folder of the user's own that no one else can write into may hold archives a later run
// trusts enough to resume.
bool isPrivateFolder(const fs::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

[[noreturn]] void cannotMake(const fs::path& folder) {
    throw fs::filesystem_error("Cannot create a folder for the downloaded archives", folder,
                               std::error_code(errno, std::generic_category()));
}

}  // namespace

ArchiveCache::ArchiveCache(const fs::path& destination) {
    const fs::path folder = fs::absolute(destination).lexically_normal();
    path_ = fs::temp_directory_path() /
            ("velora-archives-" + std::to_string(::geteuid()) + "-" + shortDigest(folder.string()));
}

const fs::path& ArchiveCache::prepare() {
    if (::mkdir(path_.c_str(), 0700) == 0 || (errno == EEXIST && isPrivateFolder(path_))) return path_;
    std::string pattern = path_.string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) cannotMake(pattern);
    path_ = pattern;
    return path_;
}

fs::path ArchiveCache::fileFor(const std::u16string& baseCode,
                               const repository_adapter::ArchiveSource& source) const {
    // The checksum names the content wherever it is served from; without one, the address does.
    const std::string checksum = enczip::Sha256::normalized(source.sha256);
    return path_ / (fl::i18n::to_string(baseCode) + "-" +
                    shortDigest(checksum.empty() ? source.address : checksum) + ".enc");
}

void ArchiveCache::remove() noexcept {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace install::engine
