#pragma once

// The destination-folder page of an installation of Velora from a folder of archives, over a real
// model. The validators, the engine and the folder of archives are mocks that let the folder
// through; a test changes the one answer it is about. Default folders and running processes are
// this machine's.

#include <algorithm>
#include <optional>

#include "SelectionTesting.h"
#include "gates/selection/FolderSelectionGate.h"
#include "support/ScopedEnvironmentVariable.h"

namespace selection_test {

using install::platformutil::Platform;

struct MockContentValidator : install::validatefolder::DestinationContentValidator {
    MockContentValidator() : DestinationContentValidator(u"") {}
    MOCK_METHOD(void, validate, (const std::u16string&, const std::u16string&), (const, override));
};

class TestableFolderSelectionGate : public install::product_installer::workflow_utils::FolderSelectionGate {
public:
    using FolderSelectionGate::appendToInstallFolderForMacOs;
    using FolderSelectionGate::FolderSelectionGate;
    using FolderSelectionGate::getDefaultDir;
    using FolderSelectionGate::getDiagnosticsData;

    MockSupply<workflow_test::MockFolderValidator> folderValidators;
    MockSupply<MockContentValidator> contentValidators;
    MockSupply<workflow_test::MockEngine> engines;
    std::optional<Platform> platform;
    // The Windows executable whose running process holds an installation back.
    std::string windowsExecutable = "velora.exe";
    mutable Texts contentFolders;  // the folder each content validator was made for

protected:
    std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const override {
        return folderValidators.next();
    }
    std::unique_ptr<install::validatefolder::DestinationContentValidator> getDestinationContentValidator(
        const std::u16string& folder) const override {
        contentFolders.push_back(folder);
        return contentValidators.next();
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(
            selectionCatalogue(windowsExecutable));
    }
    Platform getCurrentPlatform() const override {
        return platform.value_or(FolderSelectionGate::getCurrentPlatform());
    }
};

inline constexpr char16_t kFolderGate[] = u"FolderSelectionGate";
inline constexpr char16_t kDefaultFolder[] = u"/opt/velora/2031.1";

class FolderSelectionGateFixture : public workflow_test::GateFixture {
protected:
    FolderSelectionGateFixture() {
        ON_CALL(*folderRepository, getAvailableProductBasecodes)
            .WillByDefault(testing::Return(Texts{u"LICENSEMANAGER", u"VELORA"}));
        handler->setProductRepoAdapterInstance(folderRepository);
        handler->setIsFolderRepoInstance(true);
        handler->setDoesLocalArchivesExist(true);
        handler->setWorkflow(u"Interactive Install From Folder");
        handler->setOfferedProducts({u"VELORA"});
        handler->initializeInstallFolderModel();
        handler->setDefaultFolder(kDefaultFolder);
        handler->setUserInputFolder(kDefaultFolder);
    }

    // Processed, valid and logged as such exactly once.
    bool accepted() const {
        const auto lines = log.lines();
        return processed(kFolderGate) && status().result == Result::Valid &&
               std::count(lines.begin(), lines.end(), u"Folder validation is successful.") == 1;
    }

    // Where installations are recorded: none of this machine's.
    workflow_test::ScratchFolder scratch;
    workflow_test::ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", scratch.path().string()};
    std::shared_ptr<workflow_test::MockRepositoryAdapter> folderRepository =
        std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    TestableFolderSelectionGate gate{kFolderGate, handler};
};

}  // namespace selection_test
