#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/product_api/Product.h"

namespace install::repository_adapter {

// A product whose archive lies in the packages folder.
class COMPONENT_API FolderProduct : public product_api::Product {
public:
    FolderProduct(std::u16string baseCode, std::u16string name, std::filesystem::path archive,
                  std::uint64_t archiveBytes, std::uint64_t unpackedBytes);
    ~FolderProduct() override;

    std::u16string getBaseCode() const override;
    std::u16string getName() const override;
    // The archive is already here; "downloading" it means copying these bytes.
    std::uint64_t getDownloadSize() const override;
    std::uint64_t getInstallSize() const override;
    const std::filesystem::path& getArchivePath() const;

private:
    std::u16string baseCode_;
    std::u16string name_;
    std::filesystem::path archive_;
    std::uint64_t archiveBytes_;
    std::uint64_t unpackedBytes_;
};

}  // namespace install::repository_adapter
