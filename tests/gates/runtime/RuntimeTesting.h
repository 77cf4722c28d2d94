#pragma once

// What the runtime step tests share: a model as the runtime installer has it before its steps,
// with the registry of this machine in a scratch folder, and repositories of given products.

#include <gmock/gmock.h>

#include <sstream>

#include "support/GateFixture.h"
#include "support/MockEngine.h"
#include "support/MockRepositoryAdapter.h"
#include "support/MockSupply.h"
#include "support/ScopedEnvironmentVariable.h"
#include "support/ScratchFolder.h"

namespace runtime_test {

using install::datamodels::product_installer::UpdateScenario;
using testing::ElementsAre, testing::Return;
using workflow_test::joined, workflow_test::MockEngine, workflow_test::MockSupply, workflow_test::PrintTo,
    workflow_test::rowName;
using Texts = std::vector<std::u16string>;

// Base codes written as one line, "A B", so that a table row stays on one line.
inline Texts codes(const std::string& spaced) {
    Texts list;
    std::istringstream words(spaced);
    for (std::string word; words >> word;) list.emplace_back(word.begin(), word.end());
    return list;
}

inline std::shared_ptr<workflow_test::MockRepositoryAdapter> repositoryOf(const Texts& products) {
    install::repository_adapter::ProductMap map;
    for (const auto& code : products) map.emplace(code, nullptr);
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*repository, getAvailableProducts).WillByDefault(Return(map));
    ON_CALL(*repository, getAvailableProductBasecodes).WillByDefault(Return(products));
    ON_CALL(*repository, doProductsExist).WillByDefault(Return(!products.empty()));
    return repository;
}

// Release 2031.1 at update level 3 for Linux, the page models in place, the machine's registry
// in a scratch folder.
class RuntimeFixture : public workflow_test::GateFixture {
protected:
    RuntimeFixture() {
        independent().getRelease().setUpdateLevel(3);
        independent().setExecutionPlatform(u"l64pc");
        handler->initializeInstallFolderModel();
        handler->setInstalledProductsReleaseUpdateLevel(0);
        handler->initializeProductSelectionModel();
        handler->initializeOptionSelectionModel();
    }
    std::filesystem::path registryRoot() const { return scratch.path() / "registry"; }

    workflow_test::ScratchFolder scratch;
    workflow_test::ScopedEnvironmentVariable registry{"VELORA_REGISTRY_ROOT", registryRoot().string()};
};

}  // namespace runtime_test
