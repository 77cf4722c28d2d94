#pragma once

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <vector>

#include "install/repository_adapter/RepositoryAdapter.h"

namespace workflow_test {

// The product repository as a mock: a test states which products it holds and what else it answers.
class MockRepositoryAdapter : public install::repository_adapter::RepositoryAdapter {
public:
    MOCK_METHOD(void, configure, (const install::repository_adapter::config::RepoAdapterConfiguration&),
                (override));
    MOCK_METHOD(install::repository_adapter::ProductMap, getAvailableProducts, (), (override));
    MOCK_METHOD(std::u16string, getProductArchivePath, (const std::u16string&), (override));
    MOCK_METHOD(std::vector<std::u16string>, getAvailableProductBasecodes, (), (override));
    MOCK_METHOD(bool, doProductsExist, (), (override));
    MOCK_METHOD((std::map<std::string, std::string>), getInstallerUrls, (const std::vector<std::string>&),
                (override));
    MOCK_METHOD(std::vector<std::u16string>, getAdditionalLanguages, (), (override));
    MOCK_METHOD(void, setProxyCredentials, (const std::string&, const std::string&), (override));
};

}  // namespace workflow_test
