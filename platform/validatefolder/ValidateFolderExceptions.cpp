#include "install/validatefolder/DestinationContentExceptions.h"
#include "install/validatefolder/FolderValidatorExceptions.h"

// Out-of-line destructors anchor each exception's type information in this library, so that a
// catch by type works across library boundaries.
namespace install::validatefolder {

FolderValidatorException::~FolderValidatorException() = default;
FolderValidatorExceptionNonEnglishCharacter::~FolderValidatorExceptionNonEnglishCharacter() = default;
FolderValidatorExceptionInvalidCharacter::~FolderValidatorExceptionInvalidCharacter() = default;
FolderValidatorExceptionTrailingDotsOnWindows::~FolderValidatorExceptionTrailingDotsOnWindows() = default;
FolderValidatorExceptionWritePermission::~FolderValidatorExceptionWritePermission() = default;
FolderValidatorFailedToCreateFolder::~FolderValidatorFailedToCreateFolder() = default;
FolderValidatorAbsolutePath::~FolderValidatorAbsolutePath() = default;
FolderValidatorNotADirectory::~FolderValidatorNotADirectory() = default;
FolderContainsUsersDefaultAppDataError::~FolderContainsUsersDefaultAppDataError() = default;
FolderIsInstallerRootError::~FolderIsInstallerRootError() = default;

DestinationContentException::~DestinationContentException() = default;
OverwriteException::~OverwriteException() = default;
ControllingProductsMismatchException::~ControllingProductsMismatchException() = default;
ReleaseStatusMismatchException::~ReleaseStatusMismatchException() = default;
UpdateLevelMismatchException::~UpdateLevelMismatchException() = default;

}  // namespace install::validatefolder
