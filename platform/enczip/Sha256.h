#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace install::enczip {

// SHA-256 of a byte stream fed in pieces, in the lower-case hexadecimal form the product
// catalogue uses for archive checksums.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);
    // Ends the stream; the object takes no more data afterwards.
    std::string finishHex();

    // A hexadecimal digest as finishHex() writes it (lower case), for comparison.
    static std::string normalized(std::string hex);

    // The digest of bytes held whole.
    static std::string ofBytes(std::string_view bytes);
    // The digest of an open file's whole content, read by position, so the descriptor's own
    // offset stays where it was. Throws std::system_error when the file cannot be read.
    static std::string ofFile(int descriptor);

private:
    std::unique_ptr<evp_md_ctx_st, void (*)(evp_md_ctx_st*)> context_;
};

}  // namespace install::enczip
