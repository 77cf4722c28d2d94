#include "LocalEngine.h"

// The engine's runs (fetching, verifying, unpacking, recording) belong to this file. Until they
// are written, every run reports that this build cannot perform it, rather than pretending to.
namespace install::engine {
namespace {

constexpr const char* kNotAvailableCode = "2190";

[[noreturn]] void notAvailable(const char* operation) {
    throw EngineException(kNotAvailableCode, "This build of the installer cannot run the engine",
                          std::string(operation) + " is not available", std::string("Engine::") + operation);
}

}  // namespace

void LocalEngine::update(const std::u16string&, const std::vector<std::string>&, const std::string&,
                         const std::u16string&, const std::shared_ptr<repository_adapter::RepositoryAdapter>&,
                         const EngineConfig&) {
    notAvailable("update");
}

void LocalEngine::download(const std::vector<std::u16string>&, const std::u16string&,
                           const std::vector<std::string>&,
                           const std::shared_ptr<repository_adapter::RepositoryAdapter>&,
                           const EngineConfig&) {
    notAvailable("download");
}

void LocalEngine::start(const std::vector<std::u16string>&, const std::u16string&,
                        const std::vector<std::string>&, const std::string&, const std::u16string&,
                        WorkflowType, const std::shared_ptr<repository_adapter::RepositoryAdapter>&,
                        const OptionalFeatureFlags&, const EngineConfig&) {
    notAvailable("start");
}

void LocalEngine::startForDownloadOnly(const std::vector<std::u16string>&, const std::u16string&,
                                       const std::vector<std::string>&, const std::vector<std::string>&,
                                       WorkflowType,
                                       const std::shared_ptr<repository_adapter::RepositoryAdapter>&,
                                       const EngineConfig&) {
    notAvailable("startForDownloadOnly");
}

void LocalEngine::startUninstall(const std::u16string&, const std::vector<std::u16string>&) {
    notAvailable("startUninstall");
}

}  // namespace install::engine
