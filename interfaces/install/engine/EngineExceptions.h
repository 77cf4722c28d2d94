#pragma once

#include "foundation/ComponentExport.h"
#include "install/cpputil/InstallerException.h"

// Engine failures, most specific first in the order callers catch them. Each carries an error
// code, a primary and a secondary message and a location (see InstallerException).
namespace install::engine {

class COMPONENT_API EngineException : public cpputil::InstallerException {
public:
    using cpputil::InstallerException::InstallerException;
    ~EngineException() override;
};

// A product archive or another file the run needs is missing; the primary message names it.
class COMPONENT_API EngineMissingComponentException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineMissingComponentException() override;
};

// The user cancelled (install::cpputil::interrupt); not a failure to report.
class COMPONENT_API EngineInterruptedException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineInterruptedException() override;
};

class COMPONENT_API EngineDownloadException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineDownloadException() override;
};

class COMPONENT_API EngineExtractOrRegisterException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineExtractOrRegisterException() override;
};

// An archive does not match the checksum the product catalogue gives for it.
class COMPONENT_API EngineInvalidSignatureException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineInvalidSignatureException() override;
};

// The installation record of a folder exists but cannot be read.
class COMPONENT_API EngineInvalidInstalledProductsException : public EngineException {
public:
    using EngineException::EngineException;
    ~EngineInvalidInstalledProductsException() override;
};

}  // namespace install::engine
