#pragma once

#include <memory>
#include <string>

#include "foundation/ComponentExport.h"
#include "install/validatefolder/FolderValidatorExceptions.h"
#include "install/validatefolder/FolderValidatorUtility.h"

namespace install::validatefolder {

// Decides whether a folder chosen by the user can receive an installation or a download.
class COMPONENT_API FolderValidator {
public:
    FolderValidator();

    // True when the folder deserves a warning although it is usable: a file-system root ("/" or
    // a mount point). A folder that does not exist never does.
    virtual bool checkWarnings(const std::u16string& folder) const;

    // Returns when the folder is usable, else throws the exception of the first rule broken, in
    // this order:
    //  1. an absolute path                                      FolderValidatorAbsolutePath
    //  2. printable ASCII only                                  ...ExceptionNonEnglishCharacter
    //  3. none of + @ ' ! * ? ; < > |                           ...ExceptionInvalidCharacter
    //  4. no path component ending in a dot                     ...ExceptionTrailingDotsOnWindows
    //  5. neither it nor its nearest existing ancestor is a non-folder   FolderValidatorNotADirectory
    //  6. not inside the user's application-data folder         FolderContainsUsersDefaultAppDataError
    //  7. not the installer's own folder                        FolderIsInstallerRootError
    //  8. a missing folder can be created; it is created with its parents when
    //     `createIfMissing` is set                               FolderValidatorFailedToCreateFolder
    //  9. writable: a probe file can be created and removed in the folder (in its nearest
    //     existing ancestor while it does not exist)            ...ExceptionWritePermission
    virtual void checkRequired(const std::u16string& folder, bool createIfMissing) const;

    virtual ~FolderValidator();

protected:
    virtual const FolderValidatorUtility& getFolderValidatorUtility() const;

private:
    std::unique_ptr<FolderValidatorUtility> utility_;
};

}  // namespace install::validatefolder
