#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fl/i18n/TextConversion.h"
#include "gates/execution/InstallProgressGate.h"
#include "install/cpputil/Interrupt.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/PlatformUtility.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/MockEngine.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace workflow_test {

using install::product_installer::workflow_utils::InstallProgressGate;
using registration::productconfig::ProductRegistrationRunner;

// The install progress step with the engine and registration runner of the test. Everything
// else (callbacks, handler, archive extraction, the default runner's option map) is real.
class TestInstallProgressGate : public InstallProgressGate {
public:
    using InstallProgressGate::InstallProgressGate;
    using RunnerFactory = std::function<std::unique_ptr<ProductRegistrationRunner>(const std::u16string&)>;

    // The engine the next run gets; a test sets its expectations before processData.
    mutable std::unique_ptr<MockEngine> engine = std::make_unique<testing::NiceMock<MockEngine>>();
    // Without one, the gate builds the runner from the data model as it would in an installer.
    RunnerFactory runnerFactory;
    std::function<void()> uninstallerOverride;

    // The option map a runner for this folder would get.
    std::map<std::string, std::string> registrationOptionsFor(const std::u16string& folder) const {
        return InstallProgressGate::getProductRegistrationRunnerInstance(folder)->options();
    }
    install::tlmx::DiagnosticsData stepDiagnostics() const { return getDiagnosticsData(); }
    install::tlmx::DiagnosticsData engineDiagnostics() const { return ProgressGate::getDiagnosticsData(); }

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override {
        if (!engine) throw std::logic_error("the test gave the gate no engine for this run");
        return std::move(engine);
    }
    std::unique_ptr<ProductRegistrationRunner> getProductRegistrationRunnerInstance(
        const std::u16string& folder) const override {
        return runnerFactory ? runnerFactory(folder)
                             : InstallProgressGate::getProductRegistrationRunnerInstance(folder);
    }
    void setupUninstaller() const override {
        uninstallerOverride ? uninstallerOverride() : InstallProgressGate::setupUninstaller();
    }
};

// A runner that changes nothing on this machine and answers with fixed notes, or fails as told.
class ScriptedRunner : public ProductRegistrationRunner {
public:
    ScriptedRunner(std::string commandsFailure, std::string notesFailure)
        : ProductRegistrationRunner(std::map<std::string, std::string>{{"skiposcommands", "true"}}),
          commandsFailure(std::move(commandsFailure)),
          notesFailure(std::move(notesFailure)) {}

    void runRegistrationCommands() const override {
        if (!commandsFailure.empty()) throw std::runtime_error(commandsFailure);
    }
    std::u16string getInstallationNotes(const std::vector<std::u16string>& products) const override {
        if (!notesFailure.empty()) throw std::runtime_error(notesFailure);
        return u"Installed " + fl::i18n::to_u16string(std::to_string(products.size())) + u" products";
    }

private:
    std::string commandsFailure;
    std::string notesFailure;
};

class InstallProgressGateFixture : public ModelFixture {
protected:
    InstallProgressGateFixture() {
        install::platformutil::PlatformUtility::setInstallationPath(installer.path() / "installer");
        std::filesystem::create_directories(installer.path() / "installer");
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder());
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->initializeOptionSelectionModel();
        independent().getRelease().setFamily(u"R2031a");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"de_DE");
        gate.runnerFactory = [](const std::u16string&) { return std::make_unique<ScriptedRunner>("", ""); };
    }
    ~InstallProgressGateFixture() override {
        install::platformutil::PlatformUtility::setInstallationPath({});
        install::cpputil::interrupt::reset();
    }

    std::u16string installFolder() const { return (installer.path() / "velora").u16string(); }
    std::filesystem::path installerFolder() const { return installer.path() / "installer"; }

    // The step as the workflow manager drives it.
    void runStep() {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
    bool stepCompleted() const { return applicationData().getDataProcessed() == u"InstallProgressGate"; }
    static bool has(const install::tlmx::DiagnosticsData& data, int key) {
        return data.getData().count(install::tlmx::SessionDataKey{key}) > 0;
    }
    static foundation::json::Value at(const install::tlmx::DiagnosticsData& data, int key) {
        return data.getData().at(install::tlmx::SessionDataKey{key});
    }
    bool logHas(const std::u16string& line) const {
        const auto lines = log.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ScratchFolder installer;
    TestInstallProgressGate gate{u"InstallProgressGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

}  // namespace workflow_test
