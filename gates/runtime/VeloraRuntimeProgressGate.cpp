// The runtime progress step's protocol: which scenario runs the engine, the removal of a runtime
// that a newer level replaces, and when the step completes. The packaged application and the
// post-installation work live in the files beside this one.
#include "gates/runtime/VeloraRuntimeProgressGate.h"

#include <vector>

#include "fl/i18n/TextConversion.h"
#include "gates/execution/ProgressGateUninstallCallback.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::datamodels::product_installer::UpdateScenario;

// A removal reads no archives; the engine is still handed a folder for them.
constexpr char16_t kRemovalArchivesFolder[] = u"temp_placeholder";

}  // namespace

VeloraRuntimeProgressGate::VeloraRuntimeProgressGate(const std::u16string& name,
                                                     const std::shared_ptr<DataModelHandler>& handler)
    : ProgressGate(name, handler), name(name), handler(handler) {}

VeloraRuntimeProgressGate::VeloraRuntimeProgressGate(const VeloraRuntimeProgressGate& other)
    : ProgressGate(other), name(other.name), handler(other.handler), userApplication(other.userApplication) {}

VeloraRuntimeProgressGate::VeloraRuntimeProgressGate(VeloraRuntimeProgressGate&&) noexcept = default;

VeloraRuntimeProgressGate& VeloraRuntimeProgressGate::operator=(const VeloraRuntimeProgressGate& other) {
    if (this == &other) return *this;
    ProgressGate::operator=(other);
    name = other.name;
    handler = other.handler;
    registrationRunner.reset();
    userApplication = other.userApplication;
    return *this;
}

VeloraRuntimeProgressGate& VeloraRuntimeProgressGate::operator=(VeloraRuntimeProgressGate&&) noexcept =
    default;
VeloraRuntimeProgressGate::~VeloraRuntimeProgressGate() = default;

void VeloraRuntimeProgressGate::processData() {
    const bool packagedApplication = handler->isVantapakWorkflow();
    // The registration options below describe the application as the model has it now.
    if (packagedApplication) userApplication = handler->getVantapakUserApplicationDataModel();
    const auto folder = handler->getInstallFolder();
    registrationRunner = getProductRegistrationRunnerInstance(folder);
    const auto scenario = handler->getUpdateScenario();

    const bool engineRuns = scenario != UpdateScenario::AlreadyUpToDate &&
                            scenario != UpdateScenario::UpdateNotPossibleFromFolderRepository;
    if (scenario == UpdateScenario::UpdateToNewerLevel) removeExistingRuntime(folder);
    const bool installed = engineRuns && startInstallation(folder);

    if (packagedApplication) {
        installUserApp();
        if (isStandaloneApplication()) setupAppUninstaller();
    }
    const bool postInstallDone = (installed || packagedApplication) && doPostInstallAction(folder);
    if (!engineRuns || postInstallDone) {
        handler->setAsValid();
        handler->setAsDataProcessed();
    }
}

void VeloraRuntimeProgressGate::removeExistingRuntime(const std::u16string& folder) const {
    log_message(u"Removing the existing Velora Runtime.");
    const std::vector<std::string> platforms{fl::i18n::to_string(handler->getExecutionPlatform())};
    const auto engine = getEngineInstance();
    ProgressGateUninstallCallback callback(handler);
    const auto connection = setupUninstallProgressCallback(callback);
    install::engine::OptionalFeatureFlags flags;
    flags.documentation = 1;
    flags.demos = 1;

    const auto config = getEngineConfigInstance();
    const auto proxyUser = handler->getProxyUserName();
    const auto proxyPassword = handler->getProxyPassword();
    if (!proxyUser.empty() && !proxyPassword.empty()) {
        config->setProxySettings(fl::i18n::to_string(proxyUser), fl::i18n::to_string(proxyPassword));
    }
    engine->start(handler->getInstalledProducts(), folder, platforms,
                  fl::i18n::to_string(handler->getLocale()), kRemovalArchivesFolder,
                  install::engine::WorkflowType::RemoveExistingRuntime,
                  handler->getProductRepoAdapterInstance(), flags, *config);
    log_message(u"The existing Velora Runtime has been successfully removed.");
}

std::unique_ptr<install::engine::Engine> VeloraRuntimeProgressGate::getEngineInstance() const {
    return install::engine::createEngine();
}

std::unique_ptr<install::engine::EngineConfig> VeloraRuntimeProgressGate::getEngineConfigInstance() const {
    return std::make_unique<install::engine::EngineConfig>();
}

}  // namespace install::product_installer::workflow_utils
