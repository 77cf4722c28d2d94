#pragma once

#include <filesystem>
#include <string>

#include "ConfinedFolder.h"

namespace install::engine {

// A runtime that a newer update level replaces is taken out of its folder before the new level
// is installed there, yet it must keep working should that installation fail, be interrupted or
// be killed. So its removal stops short of dropping it: everything it took out stays set aside
// in the folder (a staging folder named after this process) until the new installation is in
// place, and goes only then. A failed installation puts it back; a later run that finds one left
// by a process that died puts it back when no installation took its place, and drops it when one
// did. The caller holds the folder's destination claim throughout.
class RuntimeReplacement {
public:
    static constexpr const char* kPrefix = ".velora-replaced-";
    static constexpr const char* kCreatedFolderMark = "created-";

    // Takes every product of the installation in `folder` out, reporting uninstall progress, and
    // sets it aside. Throws as ProductRemoval does; nothing changed then.
    static void setAside(const std::filesystem::path& folder);
    // Whether what this process set aside was an installation that had made its folder.
    static bool replacedOneThatCreatedItsFolder(const std::filesystem::path& folder);
    // The new installation is in place: what this process set aside goes. A failure leaves it for
    // the next run, which drops it.
    static void discard(const std::filesystem::path& folder) noexcept;
    // The new installation failed: what this process set aside is put back. A failure leaves it
    // for the next run, which puts it back.
    static void putBack(const std::filesystem::path& folder) noexcept;
    // Settles what other installers left set aside in the folder, after taking back the staging
    // folders of runs that were killed. Throws std::runtime_error when something cannot be put back.
    static void settleLeftovers(const enczip::ConfinedFolder& destination);
    // As above for a folder that may not exist yet.
    static void settleLeftovers(const std::filesystem::path& folder);
};

}  // namespace install::engine
