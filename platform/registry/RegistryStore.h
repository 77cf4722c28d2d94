#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::registry {

// Orders key and value names as the registry does: ASCII letters compare in either case alike.
struct RegistryNameLess {
    bool operator()(const std::u16string& first, const std::u16string& second) const;
};

// Value name to value, for one key.
using RegistryValues = std::map<std::u16string, std::u16string, RegistryNameLess>;
// Key ("HKEY_LOCAL_MACHINE\SOFTWARE\Kestrelix\Velora", parts joined by '\') to its values.
using RegistryKeys = std::map<std::u16string, RegistryValues, RegistryNameLess>;

// The registry of this machine as Linux lacks one: every key and value in one file,
// "<root>/registry.json", shared by all installers of the machine.
//
// Readers only ever see a whole store. A writer holds "<root>/registry.lock" (an flock, which
// the system drops with a process that dies) for its whole read-change-write, so a second writer
// waits and loses nothing; it writes the new store to a temporary file beside the old one
// ("registry.json.tmp.XXXXXX"), flushes it to the disk and only then renames it over the old
// one. A temporary file that a killed writer leaves behind is never read and the next writer
// removes it. A store file that cannot be read is never replaced: the error names it.
class COMPONENT_API RegistryStore {
public:
    // The environment variable that points every store of a process elsewhere.
    static constexpr const char* kRootVariable = "VELORA_REGISTRY_ROOT";
    static constexpr const char* kSystemRoot = "/var/lib/velora-installer/registry";

    // $VELORA_REGISTRY_ROOT when set and not empty, else the system location.
    static std::filesystem::path defaultRoot();
    // A key as the store keeps it: parts split at '\' and '/', empty parts dropped, joined by '\'.
    static std::u16string normalisedKey(const std::u16string& key);

    RegistryStore();
    explicit RegistryStore(std::filesystem::path root);

    const std::filesystem::path& root() const { return root_; }

    // Nothing when the store, the key or the value does not exist. Throws RegistryStoreError when
    // the store exists but cannot be read.
    std::optional<std::u16string> read(const std::u16string& key, const std::u16string& valueName) const;
    // Every key and value; empty when there is no store yet.
    RegistryKeys readAll() const;
    // Sets one value, or removes it (and its key once empty) when `value` is empty.
    void write(const std::u16string& key, const std::u16string& valueName,
               const std::optional<std::u16string>& value) const;
    // Hands every key and value to `change` while holding the store against other writers, then
    // puts the result in place. Nothing changes when `change` throws; its exception passes on.
    // Keys must be normalised (normalisedKey). Throws RegistryStoreError or
    // std::filesystem::filesystem_error when the store cannot be read or written.
    void update(const std::function<void(RegistryKeys&)>& change) const;

private:
    std::filesystem::path storeFile() const;

    std::filesystem::path root_;
};

class COMPONENT_API RegistryStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~RegistryStoreError() override;
};

}  // namespace install::registry
