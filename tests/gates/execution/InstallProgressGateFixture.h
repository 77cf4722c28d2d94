#pragma once

// The install progress step with the engine and registration runner of the test; everything else
// (callbacks, handler, archive extraction, the runner's option map) is the real thing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
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
#include "support/ValueText.h"

namespace workflow_test {

using registration::productconfig::ProductRegistrationRunner;

class TestInstallProgressGate : public install::product_installer::workflow_utils::InstallProgressGate {
public:
    using InstallProgressGate::InstallProgressGate;

    // The engine of the next run; a test sets its expectations before processData.
    mutable std::unique_ptr<MockEngine> engine = std::make_unique<testing::NiceMock<MockEngine>>();
    std::function<std::unique_ptr<ProductRegistrationRunner>(const std::u16string&)> runnerFactory;
    std::function<void()> uninstallerOverride;

    // The option map the gate's own runner would get for this folder.
    std::map<std::string, std::string> registrationOptionsFor(const std::u16string& folder) const {
        return InstallProgressGate::getProductRegistrationRunnerInstance(folder)->options();
    }
    install::tlmx::DiagnosticsData stepDiagnostics() const { return getDiagnosticsData(); }
    install::tlmx::DiagnosticsData engineDiagnostics() const { return ProgressGate::getDiagnosticsData(); }

protected:
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return std::move(engine); }
    std::unique_ptr<ProductRegistrationRunner> getProductRegistrationRunnerInstance(
        const std::u16string& folder) const override {
        return runnerFactory(folder);
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
        std::filesystem::create_directories(installerFolder());
        install::platformutil::PlatformUtility::setInstallationPath(installerFolder());
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder());
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->initializeOptionSelectionModel();
        independent().getRelease().setFamily(u"R2031a");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"de_DE");
        runnerFailures("", "");
    }
    ~InstallProgressGateFixture() override {
        install::platformutil::PlatformUtility::setInstallationPath({});
        install::cpputil::interrupt::reset();
    }

    std::u16string installFolder() const { return (scratch.path() / "velora").u16string(); }
    std::filesystem::path installerFolder() const { return scratch.path() / "installer"; }
    void runnerFailures(const std::string& commands, const std::string& notes) {
        gate.runnerFactory = [=](const std::u16string&) {
            return std::make_unique<ScriptedRunner>(commands, notes);
        };
    }
    // The step as the workflow manager drives it.
    void runStep() {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
    bool stepCompleted() const { return applicationData().getDataProcessed() == u"InstallProgressGate"; }
    // The entries' values in the given order: "-" for an entry that is absent, "time" for a
    // date and time of day.
    static std::string entries(const install::tlmx::DiagnosticsData& data, const std::vector<int>& keys) {
        static const std::regex timestamp(R"("\d{4}-\d\d-\d\d \d\d:\d\d:\d\d")");
        std::string text;
        for (const int key : keys) {
            const auto found = data.getData().find(install::tlmx::SessionDataKey{key});
            const auto value = found == data.getData().end() ? "-" : found->second.dump();
            text += (text.empty() ? "" : "|") + (std::regex_match(value, timestamp) ? "time" : value);
        }
        return text;
    }
    bool logHas(const std::u16string& line) const {
        const auto lines = log.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ScratchFolder scratch;
    TestInstallProgressGate gate{u"InstallProgressGate", handler};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

}  // namespace workflow_test
