#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::enczip {

// Where an extraction stands while one entry is being written. The same record is updated in
// place for every call about one entry, so a hook may keep a reference only during its call.
struct ProgressInfo {
    std::string entryName;                // as stored in the archive
    std::uint64_t entrySize = 0;          // size the archive announces, 0 when it announces none
    std::uint64_t entryBytesWritten = 0;  // bytes of this entry already on disk
    std::uint64_t totalBytesWritten = 0;  // bytes of all entries so far, this one included
    std::uint64_t entriesCompleted = 0;   // entries fully in place before this one
    bool entryComplete = false;           // true on the last call about this entry
};

struct ExtractOptions {
    // Called after each block written and once when an entry is complete. Answering false stops
    // the extraction: the entry being written is removed and ExtractionInterruptedError is thrown.
    std::function<bool(const ProgressInfo&)> onProgress;
    // For archives whose entries are encrypted; without it such an entry fails to read.
    std::optional<std::string> passphrase;
};

// Unpacks a zip or tar archive (tar optionally compressed) into destination, creating it when
// missing. Paths are UTF-8. Every file lands under its final name only once it is complete.
// Throws UnsafeArchiveEntryError for an entry that would land outside destination,
// std::filesystem::filesystem_error when the file system refuses a read or write, and
// std::runtime_error for an unreadable or damaged archive.
COMPONENT_API void extract(const std::string& archive, const std::string& destination);
COMPONENT_API void extract(const std::string& archive, const std::string& destination,
                           const ExtractOptions& options);

}  // namespace install::enczip
