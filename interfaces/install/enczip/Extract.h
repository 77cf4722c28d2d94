#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
    // Called after every MiB at most written and once when an entry is complete. Answering
    // false stops the extraction: the entry being written is removed and
    // ExtractionInterruptedError is thrown.
    std::function<bool(const ProgressInfo&)> onProgress;
    // For archives whose entries are encrypted; without it such an entry fails to read.
    std::optional<std::string> passphrase;
    // The destination is a folder only this extraction writes to and that is thrown away when
    // the work fails (a staging folder): files are written under their own names straight away,
    // sparing a rename each. They are still created exclusively and without following links.
    bool privateDestination = false;
};

// Something an extraction put in place, as a record of an installation needs it.
struct PlacedEntry {
    enum class Kind { Folder, File, SymbolicLink };
    Kind kind = Kind::File;
    std::string path;        // from the destination, '/'-separated, through no symbolic link
    std::uint64_t size = 0;  // files
    std::string sha256;      // files: lower-case hexadecimal
    std::string linkTarget;  // symbolic links
};

// Unpacks a zip archive into destination, creating it when missing. Paths are UTF-8. Every file
// lands under its final name only once it is complete (but see privateDestination); modes lose the write bits
// of group and others (umask 022) and setuid, setgid. Nothing is written outside destination, whatever links
// it already holds. Answers the folders it made and the files and links it placed, each once.
// Throws UnsafeArchiveEntryError for an entry that would land or lead outside destination, a
// hard link, a device, a pipe or a socket; std::filesystem::filesystem_error when the file
// system refuses a read or write; std::runtime_error for an unreadable or damaged archive, or
// a file that is not a zip archive from its first byte to its last.
COMPONENT_API std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination);
COMPONENT_API std::vector<PlacedEntry> extract(const std::string& archive, const std::string& destination,
                                               const ExtractOptions& options);

// What the archive's files take once unpacked, from its table of contents alone. Throws as
// extract() does for a file that is not one zip archive or holds a device, pipe or socket.
COMPONENT_API std::uint64_t unpackedSize(const std::string& archive);

}  // namespace install::enczip
