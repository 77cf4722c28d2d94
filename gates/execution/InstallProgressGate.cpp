#include "gates/execution/InstallProgressGate.h"

#include <exception>
#include <functional>

#include "install/cpputil/LogMessages.h"
#include "install/enczip/Extract.h"
#include "install/platformutil/PlatformUtility.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

using install::tlmx::SessionDataKey;

constexpr SessionDataKey kStepStarted{60};
constexpr SessionDataKey kInstallationSucceeded{46};
constexpr SessionDataKey kPostInstallDone{45};
constexpr SessionDataKey kStepCompleted{26};
constexpr SessionDataKey kStepEnded{59};

// Stamps the end of processData however it is left, an exception passing through included.
class EndStamp {
public:
    explicit EndStamp(std::function<void()> stamp) : stamp(std::move(stamp)) {}
    ~EndStamp() { stamp(); }
    EndStamp(const EndStamp&) = delete;
    EndStamp& operator=(const EndStamp&) = delete;

private:
    std::function<void()> stamp;
};

}  // namespace

InstallProgressGate::InstallProgressGate(const std::u16string& name,
                                         const std::shared_ptr<DataModelHandler>& handler)
    : ProgressGate(name, handler),
      name(name),
      handler(handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>()),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>()) {}

InstallProgressGate::InstallProgressGate(const InstallProgressGate& other)
    : ProgressGate(other),
      name(other.name),
      handler(other.handler),
      tlmxUtil(std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil)),
      diagnosticsData(std::make_unique<install::tlmx::DiagnosticsData>(*other.diagnosticsData)) {}

InstallProgressGate::InstallProgressGate(InstallProgressGate&&) noexcept = default;

InstallProgressGate& InstallProgressGate::operator=(const InstallProgressGate& other) {
    if (this == &other) return *this;
    ProgressGate::operator=(other);
    name = other.name;
    handler = other.handler;
    registrationRunner.reset();
    tlmxUtil = std::make_unique<install::tlmx::TlmxUtil>(*other.tlmxUtil);
    diagnosticsData = std::make_unique<install::tlmx::DiagnosticsData>(*other.diagnosticsData);
    return *this;
}

InstallProgressGate& InstallProgressGate::operator=(InstallProgressGate&&) noexcept = default;
InstallProgressGate::~InstallProgressGate() = default;

void InstallProgressGate::setDefaultData() const {
    recordTimestamp(kStepStarted);
    handler->initializeProgressData();
}

void InstallProgressGate::processData() {
    const EndStamp endStamp([this] { recordTimestamp(kStepEnded); });
    const auto folder = handler->getInstallFolder();
    registrationRunner = getProductRegistrationRunnerInstance(folder);
    if (!startInstallation(folder)) return;

    recordTimestamp(kInstallationSucceeded);
    const bool postInstallDone = doPostInstallAction(folder);
    recordTimestamp(kPostInstallDone);
    if (postInstallDone) {
        handler->setAsValid();
        handler->setAsDataProcessed();
        diagnosticsData->add(kStepCompleted, true);
    }
}

bool InstallProgressGate::doPostInstallAction(const std::u16string&) {
    try {
        setupUninstaller();
        runOSRegistrationCommands();
        setupNotes();
    } catch (const std::exception&) {
        collectProgressData();
        return false;
    }
    return true;
}

void InstallProgressGate::setupUninstaller() const {
    try {
        const auto archive = joinPath(
            install::platformutil::PlatformUtility::getInstallationPath().u16string(), u"uninstall.zip");
        const auto destination = handler->getInstallFolder();
        extract(fl::i18n::to_string(archive), fl::i18n::to_string(destination));
    } catch (const std::exception& error) {
        log_message(u"Failed to extract Uninstaller with error: " + fl::i18n::to_u16string(error.what()));
    }
}

void InstallProgressGate::extract(const std::string& archive, const std::string& destination) const {
    install::enczip::extract(archive, destination);
}

install::tlmx::DiagnosticsData InstallProgressGate::getDiagnosticsData() const { return *diagnosticsData; }

void InstallProgressGate::recordTimestamp(SessionDataKey key) const {
    diagnosticsData->add(key, install::platformutil::PlatformUtility::getPlatformUTCTime());
}

}  // namespace install::product_installer::workflow_utils
