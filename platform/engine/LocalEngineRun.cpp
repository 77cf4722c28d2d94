#include <exception>
#include <filesystem>
#include <thread>

#include "DownloadRun.h"
#include "EngineErrorCodes.h"
#include "InstallRun.h"
#include "LocalEngine.h"
#include "ProductRemoval.h"
#include "RuntimeReplacement.h"
#include "fl/i18n/TextConversion.h"

// The engine's runs. Installing products (from a repository or a folder of archives) is done by
// InstallRun, uninstalling them by ProductRemoval, fetching archives for later by DownloadRun,
// setting aside a runtime that a newer level replaces by RuntimeReplacement; the other runs
// report that this build cannot perform them, rather than pretending to.
namespace install::engine {
namespace {

constexpr const char* kNotAvailableCode = "2190";

[[noreturn]] void notAvailable(const char* operation) {
    throw EngineException(kNotAvailableCode, "This build of the installer cannot run the engine",
                          std::string(operation) + " is not available", std::string("Engine::") + operation);
}

// A removal reports its progress from a thread of its own, as an installation does, so that the
// listeners never run inside the caller's model transaction.
void setAsideOnWorker(const std::filesystem::path& folder) {
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            RuntimeReplacement::setAside(folder);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (!failure) return;
    try {
        std::rethrow_exception(failure);
    } catch (const EngineException&) {
        throw;
    } catch (const std::exception& error) {
        throw EngineException(kRemoveCode, "The existing runtime cannot be removed", error.what(),
                              kStartLocation);
    }
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

// Every product has one archive for all languages here, and the archives hold no optional parts
// to leave out, so the locale and feature flags change nothing; the first platform names the
// archives an online repository is asked for. A runtime set aside for a newer level (workflow type
// RemoveExistingRuntime, every product of the folder whatever the list says) goes once the next
// installation into the folder succeeded, and comes back when it failed.
void LocalEngine::start(const std::vector<std::u16string>& products, const std::u16string& folder,
                        const std::vector<std::string>& platforms, const std::string&,
                        const std::u16string& archivesFolder, WorkflowType workflowType,
                        const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository,
                        const OptionalFeatureFlags&, const EngineConfig& config) {
    const std::filesystem::path target(fl::i18n::to_string(folder));
    if (workflowType == WorkflowType::RemoveExistingRuntime) {
        setAsideOnWorker(target);
        return;
    }
    if (workflowType != WorkflowType::Install && workflowType != WorkflowType::InstallFromFolder) {
        notAvailable("start");
    }
    InstallRequest request;
    request.products = products;
    request.folder = target;
    request.archivesFolder = std::filesystem::path(fl::i18n::to_string(archivesFolder));
    request.workflowType = workflowType;
    request.repository = repository;
    request.catalogue = getCatalogue();
    if (!platforms.empty()) request.platform = platforms.front();
    request.proxy = {config.getProxyUrl(), config.getProxyUserName(), config.getProxyPassword()};
    request.release = config.getRelease();
    request.inheritsCreatedFolder = RuntimeReplacement::replacedOneThatCreatedItsFolder(target);
    try {
        try {
            RuntimeReplacement::settleLeftovers(target);
        } catch (const std::exception& failure) {
            throw EngineExtractOrRegisterException(kExtractCode,
                                                   "An interrupted installation cannot be taken back",
                                                   failure.what(), kStartLocation);
        }
        InstallRun(std::move(request)).execute();
    } catch (...) {
        RuntimeReplacement::putBack(target);
        throw;
    }
    RuntimeReplacement::discard(target);
}

void LocalEngine::startForDownloadOnly(
    const std::vector<std::u16string>& products, const std::u16string& folder,
    const std::vector<std::string>& platforms, const std::vector<std::string>&, WorkflowType,
    const std::shared_ptr<repository_adapter::RepositoryAdapter>& repository, const EngineConfig& config) {
    // Additional languages travel inside the archives here, so they need no download of their own.
    DownloadRun({products, std::filesystem::path(fl::i18n::to_string(folder)), platforms, repository,
                 getCatalogue(), config.getProxyUrl(), config.getProxyUserName(), config.getProxyPassword()})
        .run();
}

void LocalEngine::startUninstall(const std::u16string& folder, const std::vector<std::u16string>& products) {
    try {
        ProductRemoval(std::filesystem::path(fl::i18n::to_string(folder))).remove(products);
    } catch (const EngineException&) {
        throw;
    } catch (const std::exception& failure) {
        throw EngineException(kRemoveCode, "Uninstallation failed", failure.what(), "Engine::startUninstall");
    }
}

}  // namespace install::engine
