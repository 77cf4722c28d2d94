#pragma once

#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::enczip {

// An entry whose name, link target or hard-link target would place or reach something outside
// the destination folder. Nothing of that entry has been written.
class COMPONENT_API UnsafeArchiveEntryError : public std::runtime_error {
public:
    UnsafeArchiveEntryError(const std::string& entryName, const std::string& reason)
        : std::runtime_error("Refused archive entry \"" + entryName + "\": " + reason),
          entryName_(entryName) {}

    const std::string& entryName() const noexcept { return entryName_; }

private:
    std::string entryName_;
};

// The progress hook asked to stop. Entries completed before stay in place; the one being
// written when the hook answered false is removed.
class COMPONENT_API ExtractionInterruptedError : public std::runtime_error {
public:
    explicit ExtractionInterruptedError(const std::string& entryName)
        : std::runtime_error("Extraction interrupted while writing \"" + entryName + "\""),
          entryName_(entryName) {}

    const std::string& entryName() const noexcept { return entryName_; }

private:
    std::string entryName_;
};

}  // namespace install::enczip
