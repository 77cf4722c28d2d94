#include "FolderProduct.h"

#include <utility>

namespace install::repository_adapter {

FolderProduct::FolderProduct(std::u16string baseCode, std::u16string name, std::filesystem::path archive,
                             std::uint64_t archiveBytes, std::uint64_t unpackedBytes)
    : baseCode_(std::move(baseCode)),
      name_(std::move(name)),
      archive_(std::move(archive)),
      archiveBytes_(archiveBytes),
      unpackedBytes_(unpackedBytes) {}

FolderProduct::~FolderProduct() = default;

std::u16string FolderProduct::getBaseCode() const { return baseCode_; }
std::u16string FolderProduct::getName() const { return name_; }
std::uint64_t FolderProduct::getDownloadSize() const { return archiveBytes_; }
std::uint64_t FolderProduct::getInstallSize() const { return unpackedBytes_; }
const std::filesystem::path& FolderProduct::getArchivePath() const { return archive_; }

}  // namespace install::repository_adapter
