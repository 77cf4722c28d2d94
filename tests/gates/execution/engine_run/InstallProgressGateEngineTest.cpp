// A whole install progress step with the engine of this machine: product archives beside the
// installer are unpacked, progress reaches the model from the engine's thread, the uninstaller
// is placed and the notes are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "FolderRepositoryAdapter.h"
#include "InstallationManifest.h"
#include "ZipWriter.h"
#include "fl/i18n/Message.h"
#include "gates/execution/InstallProgressGate.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/PlatformUtility.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"
#include "support/ValueText.h"

namespace {

using InstallProgressGateEngineTest = workflow_test::ModelFixture;

TEST_F(InstallProgressGateEngineTest, InstallsTheProductsFromTheArchivesAndCompletesTheStep) {
    const workflow_test::ScratchFolder scratch;
    const auto installer = scratch.makeFolder("installer");
    const auto folder = scratch.path() / "installation";
    scratch.writeFile("installer/product_catalogue.json", R"({"products": [
        {"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true},
        {"baseCode": "FLOWMERE", "name": "Flowmere", "family": "Velora"}]})");
    install::test::writeZip(
        scratch.path() / "packages/VELORA.enc",
        {{"bin/velora", std::string(600 * 1024, 'v')}, {"share/velora/README.txt", "Velora\n"}});
    install::test::writeZip(scratch.path() / "packages/common/FLOWMERE.enc",
                            {{"bin/flowmere", std::string(300 * 1024, 'f')}});
    install::test::writeZip(installer / "uninstall.zip", {{"uninstall.sh", "#!/bin/sh\n"}});
    install::platformutil::PlatformUtility::setInstallationPath(installer);
    handler->setProductRepoAdapterInstance(
        std::make_shared<install::repository_adapter::FolderRepositoryAdapter>(scratch.path() / "packages"));
    handler->setIsFolderRepoInstance(true);
    handler->setIsBat(true);  // a silent run: nothing registered with this machine's desktop
    handler->initializeInstallFolderModel();
    handler->setInstallFolder(folder.u16string());
    handler->initializeProductSelectionModel();
    handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
    handler->initializeOptionSelectionModel();
    independent().setExecutionPlatform(u"l64pc");
    independent().setLocale(u"en_US");
    install::cpputil::logger::ScopedCapture log;
    install::product_installer::workflow_utils::InstallProgressGate gate(u"InstallProgressGate", handler);

    gate.setDefaultData();
    gate.setRequiredData();
    handler->setAsDataAvailable();
    gate.processData();
    install::platformutil::PlatformUtility::setInstallationPath({});

    EXPECT_EQ(
        workflow_test::joined(
            applicationData().getValidationStatus().getResult(), applicationData().getDataProcessed(),
            std::filesystem::exists(folder / "bin/velora"), std::filesystem::exists(folder / "bin/flowmere"),
            std::filesystem::exists(folder / "uninstall.sh"),
            install::engine::InstallationManifest::readFrom(folder).value().getProducts().size(),
            dependent().getInstallationNotes().empty()),
        "1|InstallProgressGate|true|true|true|2|false");
    const auto install = dependent().getProgressData().getInstallProgressData();
    EXPECT_EQ(
        workflow_test::joined(install.getPercentage(), install.getBytesInstalledSoFar(),
                              install.getNumberOfComponentsInstalledSoFar(), install.getInstallMessage(),
                              install.getInstallTitle(),
                              dependent().getProgressData().getOverallProgressData().getPercentage()),
        workflow_test::joined(100, 900 * 1024 + 7, 2, fl::i18n::message("installCompletedMessage"), "", 100));
    const auto lines = log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), u"100%"), 1);
}

}  // namespace
