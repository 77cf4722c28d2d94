#include "install/cpputil/InstallerException.h"

#include <utility>

namespace install::cpputil {
namespace {

std::string describe(const std::string& code, const std::string& primary, const std::string& secondary,
                     const std::string& location) {
    std::string text = location;
    for (const std::string* part : {&code, &primary}) {
        if (part->empty()) continue;
        if (!text.empty()) text += ": ";
        text += *part;
    }
    if (!secondary.empty()) text += text.empty() ? secondary : " (" + secondary + ")";
    return text.empty() ? "installer error" : text;
}

}  // namespace

InstallerException::InstallerException(std::string errorCode, std::string primaryErrorMessage,
                                       std::string secondaryErrorMessage, std::string location)
    : errorCode_(std::move(errorCode)),
      primaryErrorMessage_(std::move(primaryErrorMessage)),
      secondaryErrorMessage_(std::move(secondaryErrorMessage)),
      location_(std::move(location)),
      what_(describe(errorCode_, primaryErrorMessage_, secondaryErrorMessage_, location_)) {}

// Defined here so that the type information lives in this library only.
InstallerException::~InstallerException() = default;

const std::string& InstallerException::getErrorCode() const noexcept { return errorCode_; }

const std::string& InstallerException::getPrimaryErrorMessage() const noexcept {
    return primaryErrorMessage_;
}

const std::string& InstallerException::getSecondaryErrorMessage() const noexcept {
    return secondaryErrorMessage_;
}

const std::string& InstallerException::getLocation() const noexcept { return location_; }

const char* InstallerException::what() const noexcept { return what_.c_str(); }

std::string createLocation(const std::string& prefix, const std::string& location) {
    if (prefix.empty()) return location;
    if (location.empty()) return prefix;
    return prefix + "::" + location;
}

}  // namespace install::cpputil
