// The registry file store: reading a whole store, and replacing it under the writers' lock by way
// of a flushed temporary file.
#include "RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "fl/i18n/TextConversion.h"

namespace install::registry {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStoreName = "registry.json";
constexpr const char* kLockName = "registry.lock";
constexpr const char* kTemporaryPrefix = "registry.json.tmp.";

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

[[noreturn]] void fail(const std::string& action, const fs::path& path, int error) {
    throw fs::filesystem_error(action, path, std::error_code(error, std::generic_category()));
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

    int get() const { return descriptor_; }
    // Closes now, so that a failure to write back what was buffered is seen.
    int close() { return ::close(std::exchange(descriptor_, -1)); }

private:
    int descriptor_;
};

// The temporary file of a writer, removed unless it became the store.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    void keep() { path_.clear(); }

private:
    std::string path_;
};

std::optional<std::string> readFile(const fs::path& file) {
    Descriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("cannot open the registry store", file, errno);
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(in.get(), buffer, sizeof buffer);
        if (count == 0) return content;
        if (count < 0) {
            if (errno == EINTR) continue;
            fail("cannot read the registry store", file, errno);
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

void writeAll(int descriptor, const std::string& content, const fs::path& file) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = ::write(descriptor, content.data() + written, content.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            fail("cannot write the registry store", file, errno);
        }
        written += static_cast<std::size_t>(count);
    }
}

RegistryKeys parse(const std::string& text, const fs::path& file) {
    RegistryKeys keys;
    try {
        const auto json = nlohmann::json::parse(text);
        for (const auto& [key, values] : json.at("keys").items()) {
            auto& target = keys[RegistryStore::normalisedKey(fl::i18n::to_u16string(key))];
            for (const auto& [name, value] : values.items()) {
                target.emplace(fl::i18n::to_u16string(name),
                               fl::i18n::to_u16string(value.get<std::string>()));
            }
        }
    } catch (const nlohmann::json::exception& error) {
        throw RegistryStoreError("The registry store " + file.string() + " cannot be read (" + error.what() +
                                 "); restore it from a backup or remove it.");
    }
    return keys;
}

std::string serialise(const RegistryKeys& keys) {
    auto all = nlohmann::json::object();
    for (const auto& [key, values] : keys) {
        auto& entry = all[fl::i18n::to_string(key)] = nlohmann::json::object();
        for (const auto& [name, value] : values)
            entry[fl::i18n::to_string(name)] = fl::i18n::to_string(value);
    }
    return nlohmann::json{{"keys", all}}.dump(2) + "\n";
}

Descriptor lockStore(const fs::path& root) {
    fs::create_directories(root);
    const fs::path file = root / kLockName;
    Descriptor lock(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (lock.get() < 0) fail("cannot open the registry lock", file, errno);
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) fail("cannot lock the registry", file, errno);
    }
    return lock;
}

// Only writers make temporary files, and only while they hold the lock: whatever is there when
// the lock is taken was left by a writer that died.
void removeLeftovers(const fs::path& root) {
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path().filename().string().starts_with(kTemporaryPrefix)) {
            std::error_code ignored;
            fs::remove(entry.path(), ignored);
        }
    }
}

void replaceStore(const fs::path& root, const fs::path& store, const std::string& content) {
    std::string name = (root / kTemporaryPrefix).string() + "XXXXXX";
    Descriptor out(::mkostemp(name.data(), O_CLOEXEC));
    if (out.get() < 0) fail("cannot create a temporary registry file", root, errno);
    TemporaryFile temporary(name);
    // Every user of the machine reads the registry; only installers write it.
    if (::fchmod(out.get(), 0644) != 0) fail("cannot share the registry store", name, errno);
    writeAll(out.get(), content, name);
    if (::fsync(out.get()) != 0) fail("cannot flush the registry store", name, errno);
    if (out.close() != 0) fail("cannot write the registry store", name, errno);
    if (::rename(name.c_str(), store.c_str()) != 0) fail("cannot replace the registry store", store, errno);
    temporary.keep();
    // The rename itself reaches the disk with the folder.
    Descriptor folder(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
}

}  // namespace

bool RegistryNameLess::operator()(const std::u16string& first, const std::u16string& second) const {
    return std::lexicographical_compare(first.begin(), first.end(), second.begin(), second.end(),
                                        [](char16_t a, char16_t b) { return folded(a) < folded(b); });
}

fs::path RegistryStore::defaultRoot() {
    const char* root = std::getenv(kRootVariable);
    return root != nullptr && *root != '\0' ? fs::path(root) : fs::path(kSystemRoot);
}

std::u16string RegistryStore::normalisedKey(const std::u16string& key) {
    std::u16string normalised;
    std::u16string part;
    const auto flush = [&] {
        if (part.empty()) return;
        if (!normalised.empty()) normalised += u'\\';
        normalised += part;
        part.clear();
    };
    for (const char16_t c : key) {
        if (c == u'\\' || c == u'/') {
            flush();
        } else {
            part += c;
        }
    }
    flush();
    return normalised;
}

RegistryStore::RegistryStore() : RegistryStore(defaultRoot()) {}

RegistryStore::RegistryStore(fs::path root) : root_(std::move(root)) {}

fs::path RegistryStore::storeFile() const { return root_ / kStoreName; }

RegistryKeys RegistryStore::readAll() const {
    const auto text = readFile(storeFile());
    return text ? parse(*text, storeFile()) : RegistryKeys{};
}

std::optional<std::u16string> RegistryStore::read(const std::u16string& key,
                                                  const std::u16string& valueName) const {
    const auto keys = readAll();
    const auto values = keys.find(normalisedKey(key));
    if (values == keys.end()) return std::nullopt;
    const auto value = values->second.find(valueName);
    if (value == values->second.end()) return std::nullopt;
    return value->second;
}

void RegistryStore::write(const std::u16string& key, const std::u16string& valueName,
                          const std::optional<std::u16string>& value) const {
    const auto normalised = normalisedKey(key);
    update([&](RegistryKeys& keys) {
        if (value) {
            keys[normalised][valueName] = *value;
            return;
        }
        const auto values = keys.find(normalised);
        if (values == keys.end()) return;
        values->second.erase(valueName);
        if (values->second.empty()) keys.erase(values);
    });
}

void RegistryStore::update(const std::function<void(RegistryKeys&)>& change) const {
    const Descriptor lock = lockStore(root_);
    removeLeftovers(root_);
    RegistryKeys keys = readAll();
    change(keys);
    replaceStore(root_, storeFile(), serialise(keys));
}

RegistryStoreError::~RegistryStoreError() = default;

}  // namespace install::registry
