#include "Sha256.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace install::enczip {

Sha256::Sha256() : context_(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
    if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("Cannot start a SHA-256 digest");
    }
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) {
    if (EVP_DigestUpdate(context_.get(), data, size) != 1)
        throw std::runtime_error("Cannot update a SHA-256 digest");
}

std::string Sha256::finishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_.get(), digest, &length) != 1) {
        throw std::runtime_error("Cannot finish a SHA-256 digest");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex.push_back(kDigits[digest[i] >> 4]);
        hex.push_back(kDigits[digest[i] & 0x0f]);
    }
    return hex;
}

std::string Sha256::normalized(std::string hex) {
    std::transform(hex.begin(), hex.end(), hex.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return hex;
}

std::string Sha256::ofBytes(std::string_view bytes) {
    Sha256 digest;
    digest.update(bytes.data(), bytes.size());
    return digest.finishHex();
}

std::string Sha256::ofFile(int descriptor) {
    Sha256 digest;
    std::vector<char> buffer(1 << 16);
    for (off_t offset = 0;;) {
        const ssize_t count = ::pread(descriptor, buffer.data(), buffer.size(), offset);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw std::system_error(errno, std::generic_category(), "cannot read");
        if (count == 0) break;
        digest.update(buffer.data(), static_cast<std::size_t>(count));
        offset += count;
    }
    return digest.finishHex();
}

}  // namespace install::enczip
