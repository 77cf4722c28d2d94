// A whole install progress step with the engine of this machine: product archives beside the
// installer are unpacked, progress reaches the model from the engine's thread, the uninstaller
// is placed and the notes are written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "FolderRepositoryAdapter.h"
#include "InstallationManifest.h"
#include "ZipWriter.h"
#include "fl/i18n/Message.h"
#include "gates/execution/InstallProgressGate.h"
#include "install/cpputil/Interrupt.h"
#include "install/cpputil/Logger.h"
#include "install/platformutil/PlatformUtility.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace {

using install::datamodels::common::Result;
using install::product_installer::workflow_utils::InstallProgressGate;
using workflow_test::ModelFixture;
using workflow_test::ScratchFolder;

constexpr char kCatalogue[] = R"({"products": [
    {"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true},
    {"baseCode": "FLOWMERE", "name": "Flowmere", "family": "Velora"}]})";

std::string bytes(std::size_t size, char seed) {
    std::string text(size, seed);
    for (std::size_t i = 0; i < size; i += 7) text[i] = static_cast<char>('a' + i % 23);
    return text;
}

class InstallProgressGateEngineTest : public ModelFixture {
protected:
    InstallProgressGateEngineTest() {
        const auto installer = scratch.makeFolder("installer");
        scratch.writeFile("installer/product_catalogue.json", kCatalogue);
        install::platformutil::PlatformUtility::setInstallationPath(installer);
        install::test::writeZip(
            scratch.path() / "packages/VELORA.enc",
            {{"bin/velora", bytes(600 * 1024, 'v')}, {"share/velora/README.txt", "Velora\n"}});
        install::test::writeZip(scratch.path() / "packages/common/FLOWMERE.enc",
                                {{"bin/flowmere", bytes(300 * 1024, 'f')}});
        install::test::writeZip(installer / "uninstall.zip", {{"uninstall.sh", "#!/bin/sh\n"}});

        handler->setProductRepoAdapterInstance(
            std::make_shared<install::repository_adapter::FolderRepositoryAdapter>(scratch.path() /
                                                                                   "packages"));
        handler->setIsFolderRepoInstance(true);
        handler->setWorkflow(u"Interactive Install From Folder");
        handler->setIsBat(true);  // a silent run: nothing registered with this machine's desktop
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(folder().u16string());
        handler->initializeProductSelectionModel();
        handler->initializeSelectedProducts({u"VELORA", u"FLOWMERE"});
        handler->initializeOptionSelectionModel();
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"en_US");
    }
    ~InstallProgressGateEngineTest() override {
        install::platformutil::PlatformUtility::setInstallationPath({});
        install::cpputil::interrupt::reset();
    }

    std::filesystem::path folder() const { return scratch.path() / "installation"; }
    void runStep() {
        gate.setDefaultData();
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }

    ScratchFolder scratch;
    InstallProgressGate gate{u"InstallProgressGate", handler};
    install::cpputil::logger::ScopedCapture log;
};

TEST_F(InstallProgressGateEngineTest, InstallsTheProductsAndCompletesTheStep) {
    runStep();

    EXPECT_EQ(applicationData().getDataProcessed(), u"InstallProgressGate");
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_TRUE(std::filesystem::exists(folder() / "bin/velora"));
    EXPECT_TRUE(std::filesystem::exists(folder() / "bin/flowmere"));
    EXPECT_TRUE(std::filesystem::exists(folder() / "uninstall.sh"));
    const auto record = install::engine::InstallationManifest::readFrom(folder());
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->getProducts().size(), 2u);
    EXPECT_FALSE(dependent().getInstallationNotes().empty());

    const auto progress = dependent().getProgressData();
    const auto install = progress.getInstallProgressData();
    EXPECT_EQ(install.getPercentage(), 100u);
    EXPECT_EQ(install.getBytesInstalledSoFar(), 900u * 1024 + 7);
    EXPECT_EQ(install.getNumberOfComponentsInstalledSoFar(), 2u);
    EXPECT_EQ(install.getInstallMessage(), fl::i18n::message("installCompletedMessage"));
    EXPECT_EQ(install.getInstallTitle(), u"");
    EXPECT_EQ(progress.getOverallProgressData().getPercentage(), 100u);

    const auto lines = log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), u"100%"), 1);
}

}  // namespace
