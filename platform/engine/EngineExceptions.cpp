#include "install/engine/EngineExceptions.h"

// Out-of-line destructors anchor each exception's type information in this library.
namespace install::engine {

EngineException::~EngineException() = default;
EngineMissingComponentException::~EngineMissingComponentException() = default;
EngineInterruptedException::~EngineInterruptedException() = default;
EngineDownloadException::~EngineDownloadException() = default;
EngineExtractOrRegisterException::~EngineExtractOrRegisterException() = default;
EngineInvalidSignatureException::~EngineInvalidSignatureException() = default;
EngineInvalidInstalledProductsException::~EngineInvalidInstalledProductsException() = default;

}  // namespace install::engine
