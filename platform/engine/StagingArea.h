#pragma once

#include <time.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "ChangeJournal.h"
#include "ConfinedFolder.h"
#include "FileDescriptor.h"

namespace install::engine {

// The folder inside the installation folder where one run unpacks its products before moving
// them into place (the same file system, so a move is a rename), keeps aside what they replace
// and writes the journal of its changes. Unless the run finished, the installation folder is put
// back as it was before the run and the staging folder removed.
class StagingArea {
public:
    // Takes back and removes what runs that were killed left in the folder. Throws
    // std::runtime_error when something cannot be put back.
    static void recoverLeftovers(const enczip::ConfinedFolder& destination);

    // Throws std::system_error when the folder cannot be made.
    explicit StagingArea(const enczip::ConfinedFolder& destination);
    // Takes back the run's changes unless it finished, then removes the folder. What cannot be
    // put back stays in the folder for the next run to try again.
    ~StagingArea();
    StagingArea(const StagingArea&) = delete;
    StagingArea& operator=(const StagingArea&) = delete;

    // Where the product with this index is unpacked.
    std::filesystem::path productFolder(std::size_t index) const;
    int descriptor() const { return folder_.get(); }
    int asideDescriptor() const { return aside_.get(); }
    ChangeJournal& journal() { return *journal_; }

    // Writes everything staged and moved so far, data and folders, to disk.
    void flush() const;
    // Every change is in place and on disk: the run is not taken back any more.
    void finish();
    // Ends the run without taking its changes back: the staging folder, journal and what was kept
    // aside stay in the installation folder under a new name starting with `prefix`, which is
    // returned, for takeBackKept to undo later (or for removing once they are no longer needed).
    std::string keepUnfinished(const std::string& prefix);
    // Undoes the changes of a staging folder kept by keepUnfinished, then removes it. Throws
    // std::runtime_error when something cannot be put back.
    static void takeBackKept(const enczip::ConfinedFolder& destination, const std::string& name) {
        takeBackAndRemove(destination, name);
    }

private:
    static void takeBackAndRemove(const enczip::ConfinedFolder& destination, const std::string& name);

    const enczip::ConfinedFolder& destination_;
    std::string name_;
    enczip::FileDescriptor folder_;
    enczip::FileDescriptor aside_;
    std::unique_ptr<ChangeJournal> journal_;
    bool finished_ = false;
    bool kept_ = false;
};

}  // namespace install::engine
