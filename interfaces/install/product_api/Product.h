#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace install::product_api {

// What a repository knows of one product it holds.
class Product {
public:
    virtual ~Product() = default;
    virtual std::u16string getBaseCode() const = 0;
    virtual std::u16string getName() const = 0;
    // Bytes to fetch (the archive) and bytes it occupies once unpacked.
    virtual std::uint64_t getDownloadSize() const = 0;
    virtual std::uint64_t getInstallSize() const = 0;
    // Base codes of the products it needs beside it, as the repository describes them; empty when
    // the repository leaves that to the product catalogue.
    virtual std::vector<std::u16string> getDependencies() const { return {}; }
};

}  // namespace install::product_api
