#pragma once

#include <gmock/gmock.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FolderPageFixture.h"
#include "TestableFolderSelectionGate.h"
#include "support/MockRepositoryAdapter.h"

namespace workflow_test {

// The destination-folder page of an installation of Velora from a folder of archives, with every
// outside component a double that lets the folder through. A test changes the one answer it is
// about; StrictMock doubles catch a step that runs when it should not.
class FolderSelectionGateFixture : public FolderPageFixture {
protected:
    static constexpr char16_t kGateName[] = u"FolderSelectionGate";
    static constexpr char16_t kDefaultFolder[] = u"/opt/velora/R2031a";

    FolderSelectionGateFixture() {
        using testing::NiceMock;
        using testing::Return;
        gate.folderValidator = std::make_shared<NiceMock<MockFolderValidator>>();
        gate.contentValidator = std::make_shared<NiceMock<MockContentValidator>>();
        gate.engine = std::make_shared<NiceMock<MockEngine>>();
        gate.runningProcess = std::make_shared<NiceMock<MockRunningProcess>>();
        gate.directoryProvider = std::make_shared<NiceMock<MockDirectoryProvider>>();
        ON_CALL(*gate.directoryProvider, getDefaultInstallationDirectory)
            .WillByDefault(Return(kDefaultFolder));

        ON_CALL(*folderRepository, getAvailableProductBasecodes)
            .WillByDefault(Return(std::vector<std::u16string>{u"LICENSEMANAGER", u"VELORA"}));
        handler->setProductRepoAdapterInstance(folderRepository);
        handler->setIsFolderRepoInstance(true);
        handler->setDoesLocalArchivesExist(true);
        handler->setWorkflow(u"Interactive Install From Folder");
        handler->setOfferedProducts({u"VELORA"});
        handler->initializeInstallFolderModel();
        handler->setDefaultFolder(kDefaultFolder);
        handler->setUserInputFolder(kDefaultFolder);
        // The page is shown and the user interface has answered.
        handler->setDataRequired(kGateName);
        handler->setAsDataAvailable();
    }

    void choose(const std::u16string& folder) const { handler->setUserInputFolder(folder); }
    // Products found in the chosen folder.
    void installed(const std::vector<std::u16string>& baseCodes) const {
        install::engine::ProductMap products;
        for (const auto& baseCode : baseCodes) products.emplace(baseCode, nullptr);
        ON_CALL(*gate.engine, getInstalledProducts(testing::_)).WillByDefault(testing::Return(products));
    }

    bool processed() const { return applicationData().getDataProcessed() == kGateName; }
    bool acceptedOnce() const {
        const auto lines = logLines();
        return processed() && status().result == Result::Valid &&
               std::count(lines.begin(), lines.end(), u"Folder validation is successful.") == 1;
    }

    std::shared_ptr<MockRepositoryAdapter> folderRepository =
        std::make_shared<testing::NiceMock<MockRepositoryAdapter>>();
    TestableFolderSelectionGate gate{kGateName, handler};
};

}  // namespace workflow_test
