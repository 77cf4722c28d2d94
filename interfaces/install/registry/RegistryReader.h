#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::registry {

// Reads values of the machine-wide part of the system registry (HKEY_LOCAL_MACHINE), such as
// the environment value "Path" under
// "SYSTEM\CurrentControlSet\Control\Session Manager\Environment". On Linux the registry is a
// file store shared by every installer of the machine (see RegistryStore in platform/registry);
// its root is $VELORA_REGISTRY_ROOT when set, else "/var/lib/velora-installer/registry".
class COMPONENT_API RegistryReader {
public:
    // The registry of this machine.
    RegistryReader();
    // The store under another root (tests, or a host told where its registry lies).
    explicit RegistryReader(std::filesystem::path root);
    virtual ~RegistryReader();

    // The value of `valueName` under HKEY_LOCAL_MACHINE\`key`; nothing when the key or the value
    // is absent. Key parts may be separated by '\' or '/'; letters compare in either case.
    // Throws std::runtime_error when the registry cannot be read.
    virtual std::optional<std::u16string> getMachineValue(const std::u16string& key,
                                                          const std::u16string& valueName) const;

private:
    std::filesystem::path root_;
};

}  // namespace install::registry
