#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "FileDescriptor.h"

namespace install::enczip {

// A file being written under an unguessable name in a folder held open by descriptor, created
// exclusively and without following links. It only gets its final name through commitAs;
// destroyed before that, it is removed.
//
// In a folder nobody else can see, whose content is thrown away when the work fails (a staging
// folder), the file can be written under its final name straight away (`finalName`): it is then
// created there exclusively when nothing has that name yet, sparing the rename.
class TemporaryFile {
public:
    // `shownFolder` names the folder in error messages.
    TemporaryFile(int folder, std::filesystem::path shownFolder, const std::string& finalName = {});
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Writes data at offset; a gap since the previous write stays a hole.
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Sets length, permissions and modification time, and hands the open descriptor over: it
    // reads the file whatever name the file takes, and its holder closes it, a failed close
    // meaning that the file could not be written (see closeWritten).
    FileDescriptor finish(std::uint64_t length, mode_t permissions, const std::optional<timespec>& modified);
    // Closes a descriptor that wrote a file; false when a deferred write error (full disk,
    // quota) showed up, errno saying which.
    static bool closeWritten(FileDescriptor file);
    // Another descriptor of the file `written` wrote, after closing that one: for a file that
    // takes its name where others see it, whose write errors must show before. Throws
    // filesystem_error.
    FileDescriptor settled(FileDescriptor written) const;
    // Renames the finished file over whatever file or link stands at `name` in the folder.
    void commitAs(const std::string& name);

private:
    void close();

    int folder_;
    std::filesystem::path shownFolder_;
    std::string name_;
    FileDescriptor file_;
    std::uint64_t position_ = 0;
    bool committed_ = false;
};

}  // namespace install::enczip
