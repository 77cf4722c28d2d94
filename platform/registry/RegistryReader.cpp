// The machine-wide registry reader over the registry file store.
#include "install/registry/RegistryReader.h"

#include <utility>

#include "RegistryStore.h"

namespace install::registry {

namespace {

constexpr char16_t kMachineHive[] = u"HKEY_LOCAL_MACHINE";

}  // namespace

RegistryReader::RegistryReader() : RegistryReader(RegistryStore::defaultRoot()) {}

RegistryReader::RegistryReader(std::filesystem::path root) : root_(std::move(root)) {}

RegistryReader::~RegistryReader() = default;

std::optional<std::u16string> RegistryReader::getMachineValue(const std::u16string& key,
                                                              const std::u16string& valueName) const {
    return RegistryStore(root_).read(std::u16string(kMachineHive) + u'\\' + key, valueName);
}

}  // namespace install::registry
