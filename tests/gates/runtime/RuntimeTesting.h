#pragma once

// What the runtime step tests share: the fixture, the doubles, and the catalogue in which the
// runtime's controlling product names its registry key.

#include <gmock/gmock.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "install/productidentifier/ProductIdentifier.h"
#include "support/GateFixture.h"
#include "support/MockEngine.h"
#include "support/MockRepositoryAdapter.h"
#include "support/MockSupply.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace runtime_test {

using install::datamodels::product_installer::UpdateScenario;
using install::product_installer::workflow_utils::joinPath;
using testing::_, testing::ElementsAre, testing::Return;
using workflow_test::joined, workflow_test::MockEngine, workflow_test::MockSupply, workflow_test::PrintTo,
    workflow_test::rowName;
using Texts = std::vector<std::u16string>;

inline std::unique_ptr<install::productidentifier::ProductIdentifier> runtimeCatalogue() {
    return std::make_unique<install::productidentifier::ProductIdentifier>(
        std::make_shared<const install::productidentifier::ProductCatalogue>(
            install::productidentifier::ProductCatalogue::fromJson(R"({"products": [
        {"baseCode": "VELORA_RUNTIME", "name": "Velora Runtime", "family": "Velora Runtime", "controlling": true,
         "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Kestrelix\\Velora Runtime", "subRoot": "2031.1"}},
        {"baseCode": "RUNTIME_GRAPHICS", "name": "Runtime Graphics", "dependencies": ["VELORA_RUNTIME"]}]})")));
}

// Base codes written as one line, "A B", so that a table row stays on one line.
inline Texts codes(const std::string& spaced) {
    Texts list;
    std::istringstream words(spaced);
    for (std::string word; words >> word;) list.emplace_back(word.begin(), word.end());
    return list;
}

// A repository holding the products, as a mock; none for an empty list.
inline std::shared_ptr<workflow_test::MockRepositoryAdapter> repositoryOf(const Texts& products) {
    install::repository_adapter::ProductMap map;
    for (const auto& code : products) map.emplace(code, nullptr);
    auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
    ON_CALL(*repository, getAvailableProducts).WillByDefault(Return(map));
    ON_CALL(*repository, getAvailableProductBasecodes).WillByDefault(Return(products));
    ON_CALL(*repository, doProductsExist).WillByDefault(Return(!products.empty()));
    return repository;
}

// The runtime installer's model before its steps: release 2031.1 at update level 3 for Linux,
// the page models in place, the registry of this machine a scratch folder.
class RuntimeFixture : public workflow_test::GateFixture {
protected:
    RuntimeFixture() {
        independent().getRelease().setUpdateLevel(3);
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"en_US");
        handler->initializeInstallFolderModel();
        handler->setInstalledProductsReleaseUpdateLevel(0);
        handler->initializeProductSelectionModel();
        handler->initializeOptionSelectionModel();
        handler->setOfferedProducts({u"VELORA_RUNTIME"});
    }
    std::filesystem::path registryRoot() const { return scratch.path() / "registry"; }

    workflow_test::ScratchFolder scratch;
};

}  // namespace runtime_test
