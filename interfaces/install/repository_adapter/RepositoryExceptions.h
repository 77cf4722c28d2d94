#pragma once

#include "foundation/ComponentExport.h"
#include "install/cpputil/InstallerException.h"

namespace install::repository_adapter {

// Failures of a repository while it lists or fetches products. Each carries an error code, a
// primary and a secondary message and a location (see InstallerException), which the gates pass
// on to diagnostics.
class COMPONENT_API RepoAdapterException : public cpputil::InstallerException {
public:
    using cpputil::InstallerException::InstallerException;
    ~RepoAdapterException() override;
};

// The product web service could not be reached or answered with an error.
class COMPONENT_API RepoAdapterWebServiceException : public RepoAdapterException {
public:
    using RepoAdapterException::RepoAdapterException;
    ~RepoAdapterWebServiceException() override;
};

// The product descriptions could not be fetched.
class COMPONENT_API RepoAdapterDWSDownloadException : public RepoAdapterException {
public:
    using RepoAdapterException::RepoAdapterException;
    ~RepoAdapterDWSDownloadException() override;
};

// The product descriptions or archives could not be read or unpacked.
class COMPONENT_API RepoAdapterDWSExtractException : public RepoAdapterException {
public:
    using RepoAdapterException::RepoAdapterException;
    ~RepoAdapterDWSExtractException() override;
};

}  // namespace install::repository_adapter
