#include "install/repository_adapter/RepositoryExceptions.h"

// Out-of-line destructors anchor each exception's type information in this library.
namespace install::repository_adapter {

RepoAdapterException::~RepoAdapterException() = default;
RepoAdapterWebServiceException::~RepoAdapterWebServiceException() = default;
RepoAdapterDWSDownloadException::~RepoAdapterDWSDownloadException() = default;
RepoAdapterDWSExtractException::~RepoAdapterDWSExtractException() = default;

}  // namespace install::repository_adapter
