#pragma once

#include <stdexcept>

#include "foundation/ComponentExport.h"

// Why FolderValidator::checkRequired refuses a folder; the what() text names the folder and the
// detail. Callers catch the kinds one by one, so each stays a distinct class.
namespace install::validatefolder {

class COMPONENT_API FolderValidatorException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~FolderValidatorException() override;
};

// A character outside printable ASCII.
class COMPONENT_API FolderValidatorExceptionNonEnglishCharacter : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorExceptionNonEnglishCharacter() override;
};

// One of + @ ' ! * ? ; < > |
class COMPONENT_API FolderValidatorExceptionInvalidCharacter : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorExceptionInvalidCharacter() override;
};

// A path component ending in a dot (Windows drops such dots silently, so the folder would not
// be the one asked for; refused everywhere to keep one rule).
class COMPONENT_API FolderValidatorExceptionTrailingDotsOnWindows : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorExceptionTrailingDotsOnWindows() override;
};

class COMPONENT_API FolderValidatorExceptionWritePermission : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorExceptionWritePermission() override;
};

// The folder was missing and could not be created, or can never be created (a name too long).
class COMPONENT_API FolderValidatorFailedToCreateFolder : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorFailedToCreateFolder() override;
};

class COMPONENT_API FolderValidatorAbsolutePath : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorAbsolutePath() override;
};

// The path, or the nearest part of it that exists, is something other than a folder.
class COMPONENT_API FolderValidatorNotADirectory : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderValidatorNotADirectory() override;
};

// The folder is the user's application-data folder or lies inside it.
class COMPONENT_API FolderContainsUsersDefaultAppDataError : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderContainsUsersDefaultAppDataError() override;
};

// The folder is the running installer's own folder.
class COMPONENT_API FolderIsInstallerRootError : public FolderValidatorException {
public:
    using FolderValidatorException::FolderValidatorException;
    ~FolderIsInstallerRootError() override;
};

}  // namespace install::validatefolder
