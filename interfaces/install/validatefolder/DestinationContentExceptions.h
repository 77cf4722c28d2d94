#pragma once

#include <stdexcept>

#include "foundation/ComponentExport.h"

// Why DestinationContentValidator::validate refuses what a folder already holds.
namespace install::validatefolder {

class COMPONENT_API DestinationContentException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~DestinationContentException() override;
};

// The folder holds files that are not an installation of this product line (or an installation
// record that cannot be read), and installing would mix with or overwrite them.
class COMPONENT_API OverwriteException : public DestinationContentException {
public:
    using DestinationContentException::DestinationContentException;
    ~OverwriteException() override;
};

// The folder holds an installation headed by another controlling product family.
class COMPONENT_API ControllingProductsMismatchException : public DestinationContentException {
public:
    using DestinationContentException::DestinationContentException;
    ~ControllingProductsMismatchException() override;
};

// The folder holds an installation of another release family or release status.
class COMPONENT_API ReleaseStatusMismatchException : public DestinationContentException {
public:
    using DestinationContentException::DestinationContentException;
    ~ReleaseStatusMismatchException() override;
};

// The folder holds an installation of this release at another update level.
class COMPONENT_API UpdateLevelMismatchException : public DestinationContentException {
public:
    using DestinationContentException::DestinationContentException;
    ~UpdateLevelMismatchException() override;
};

}  // namespace install::validatefolder
