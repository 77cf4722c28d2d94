#pragma once

#include <optional>
#include <string>

#include "foundation/ComponentExport.h"
#include "foundation/release_info/ReleaseInfo.h"
#include "install/validatefolder/DestinationContentExceptions.h"

namespace install::validatefolder {

// Checks that what a destination folder already holds does not conflict with the installation
// about to start. It reads the folder's installation record (the installed-products manifest
// the engine keeps there) and compares it with the installer's own release.
class COMPONENT_API DestinationContentValidator {
public:
    // The installer's release is read from "VersionInfo.xml" in its installation path; without
    // that file the release checks are left out.
    explicit DestinationContentValidator(std::u16string folder);
    // An explicit installer release; nullopt leaves the release checks out.
    DestinationContentValidator(std::u16string folder,
                                std::optional<foundation::release_info::ReleaseInfo> installerRelease);
    virtual ~DestinationContentValidator();

    // Returns when the folder is missing or empty, or holds an installation that fits; else
    // throws, checking in this order:
    //  - the folder holds files but no readable installation record      OverwriteException
    //  - both families are given and differ                  ControllingProductsMismatchException
    //  - the record's release family or status is not the installer's  ReleaseStatusMismatchException
    //  - the record's update level is not the installer's             UpdateLevelMismatchException
    // The families are those of the controlling products installed and offered; an empty
    // family stands for none. A ReleaseInfoException escapes when the installer's own
    // "VersionInfo.xml" is malformed.
    virtual void validate(const std::u16string& installedControllingFamily,
                          const std::u16string& offeredControllingFamily) const;

protected:
    virtual std::optional<foundation::release_info::ReleaseInfo> getInstallerRelease() const;

private:
    std::u16string folder_;
    bool releaseGiven_ = false;
    std::optional<foundation::release_info::ReleaseInfo> installerRelease_;
};

}  // namespace install::validatefolder
