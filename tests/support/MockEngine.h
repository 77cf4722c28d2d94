#pragma once

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "install/engine/Engine.h"

namespace workflow_test {

// The install engine as a mock: a test states what a run does (publish progress, throw) and
// checks what it was started with.
class MockEngine : public install::engine::Engine {
public:
    MOCK_METHOD(void, update,
                (const std::u16string&, const std::vector<std::string>&, const std::string&,
                 const std::u16string&,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, download,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, start,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::string&, const std::u16string&, install::engine::WorkflowType,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::OptionalFeatureFlags&, const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, startForDownloadOnly,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::vector<std::string>&, install::engine::WorkflowType,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledProducts, (const std::u16string&, bool), (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledProducts, (const std::u16string&), (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledKestrelixProducts, (const std::u16string&),
                (override));
    MOCK_METHOD(void, startUninstall, (const std::u16string&, const std::vector<std::u16string>&),
                (override));
};

// An arrangement for a MockSupply<MockEngine>: every folder holds these products. The gates that
// ask look only at the base codes.
inline auto findsInstalled(const std::vector<std::u16string>& baseCodes) {
    install::engine::ProductMap products;
    for (const auto& baseCode : baseCodes) products.emplace(baseCode, nullptr);
    return [products](MockEngine& engine) {
        ON_CALL(engine, getInstalledProducts(testing::_)).WillByDefault(testing::Return(products));
    };
}

// An arrangement: the folder's installation record cannot be read.
inline auto findsUnreadableRecord() {
    return [](MockEngine& engine) {
        ON_CALL(engine, getInstalledProducts(testing::_))
            .WillByDefault(testing::Throw(install::engine::EngineInvalidInstalledProductsException(
                "2110", "Unable to read the installation record", "", "Engine::getInstalledProducts")));
    };
}

}  // namespace workflow_test
