#pragma once

#include <exception>
#include <string>

#include "foundation/ComponentExport.h"

namespace install::cpputil {

// The installer's own failure report: a short decimal code ("199", "2800"), a primary message for
// people, a secondary message with the technical detail, and a location naming class, step and
// cause ("FolderSelection::Unknown"). All four are 8-bit (UTF-8) texts and reach the diagnostics
// service unchanged.
class COMPONENT_API InstallerException : public std::exception {
public:
    InstallerException(std::string errorCode, std::string primaryErrorMessage,
                       std::string secondaryErrorMessage, std::string location);
    ~InstallerException() override;

    const std::string& getErrorCode() const noexcept;
    const std::string& getPrimaryErrorMessage() const noexcept;
    const std::string& getSecondaryErrorMessage() const noexcept;
    const std::string& getLocation() const noexcept;

    // "<location>: <code>: <primary message> (<secondary message>)", leaving out empty parts.
    const char* what() const noexcept override;

private:
    std::string errorCode_;
    std::string primaryErrorMessage_;
    std::string secondaryErrorMessage_;
    std::string location_;
    std::string what_;
};

// Joins a prefix (a class or step) and a location with "::". An empty part is left out together
// with its joiner, so createLocation("Progress", "") is "Progress".
COMPONENT_API std::string createLocation(const std::string& prefix, const std::string& location);

}  // namespace install::cpputil
