#pragma once

#include <sys/stat.h>
#include <time.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "ConfinedFolder.h"
#include "FileDescriptor.h"

namespace install::engine {

// The changes a run makes to the installation folder, each written down before it is made, so
// that the run can be taken back: after a failure by the run itself, after it was killed by the
// next run. Paths are from the installation folder, through no link.
class ChangeJournal {
public:
    static constexpr const char* kFileName = "journal";
    static constexpr const char* kAsideFolder = "aside";

    // Starts the journal in a new staging folder.
    explicit ChangeJournal(int stagingFolder);

    // A folder about to change, and the modification time it had.
    void folderTouched(const std::string& path, const timespec& modified);
    // What stands at `path` is kept in the staging folder's aside folder as `asideName`.
    void keptAside(const std::string& path, const std::string& asideName);
    // The staged entry is about to be moved to `path`.
    void placed(const std::string& path, const struct stat& staged);
    // Every change is in place and on disk: nothing is to be taken back any more.
    void committed();

    // Undoes the changes the journal of a staging folder records, the latest first, unless it
    // records them as committed. Answers the time the installation folder itself had, to be set
    // once the staging folder is gone. Throws std::runtime_error naming what could not be put
    // back; the staging folder must then stay, since it holds what was kept aside.
    static std::optional<timespec> takeBack(const enczip::ConfinedFolder& destination, int stagingFolder);

private:
    void append(char kind, std::initializer_list<std::string> fields);

    enczip::FileDescriptor file_;
};

}  // namespace install::engine
