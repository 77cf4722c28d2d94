// Licence-manager services listed in a file: which of them block a new service.
#include "install/instlicutil/LicenseManagerServiceUtility.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EnvironmentOverride.h"
#include "ScratchFolder.h"

namespace install::instlicutil {
namespace {

using install::test::EnvironmentOverride;
using install::test::ScratchFolder;
using testing::HasSubstr;

class LicenseManagerServiceUtilityTest : public testing::Test {
protected:
    LicenseManagerServiceUtility utilityWith(const std::string& json) const {
        return LicenseManagerServiceUtility(folder.writeFile("services.json", json));
    }

    ScratchFolder folder;
};

TEST_F(LicenseManagerServiceUtilityTest, NoListMeansNoService) {
    EXPECT_NO_THROW(
        LicenseManagerServiceUtility(folder.path() / "absent.json").checkIfLMServiceExists(u"/opt/lm"));
    EXPECT_NO_THROW(utilityWith("{}").checkIfLMServiceExists(u"/opt/lm"));
    EXPECT_NO_THROW(utilityWith(R"({"services": []})").checkIfLMServiceExists(u"/opt/lm"));
}

TEST_F(LicenseManagerServiceUtilityTest, ARunningServiceInAnotherFolderBlocks) {
    const auto utility = utilityWith(R"({"services": [
        {"name": "Stopped", "folder": "/srv/old", "running": false},
        {"name": "Velora License Server", "folder": "/srv/lm", "running": true}]})");
    try {
        utility.checkIfLMServiceExists(u"/opt/lm");
        FAIL() << "the running service was not reported";
    } catch (const LMServiceExistsException& error) {
        EXPECT_THAT(error.what(), HasSubstr("Velora License Server"));
        EXPECT_THAT(error.what(), HasSubstr("/srv/lm"));
    }
}

struct FolderCase {
    const char* label;
    const char16_t* installFolder;
    bool blocks;
};

class SameFolderTest : public LicenseManagerServiceUtilityTest,
                       public testing::WithParamInterface<FolderCase> {};

TEST_P(SameFolderTest, TheServiceOfTheFolderBeingInstalledDoesNotBlock) {
    const auto utility =
        utilityWith(R"({"services": [{"name": "LM", "folder": "/srv/lm/", "running": true}]})");
    if (GetParam().blocks) {
        EXPECT_THROW(utility.checkIfLMServiceExists(GetParam().installFolder), LMServiceExistsException);
    } else {
        EXPECT_NO_THROW(utility.checkIfLMServiceExists(GetParam().installFolder));
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, SameFolderTest,
                         testing::Values(FolderCase{"Same", u"/srv/lm", false},
                                         FolderCase{"TrailingSeparator", u"/srv/lm/", false},
                                         FolderCase{"DotParts", u"/srv/./lm", false},
                                         FolderCase{"Parent", u"/srv", true},
                                         FolderCase{"Child", u"/srv/lm/bin", true},
                                         FolderCase{"OtherCase", u"/srv/LM", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(LicenseManagerServiceUtilityTest, EntriesThatAreNotRunningOrHaveNoFolderDoNotBlock) {
    EXPECT_NO_THROW(utilityWith(R"({"services": [{"name": "A", "folder": "/srv/a"},
                                                 {"name": "B", "running": true}]})")
                        .checkIfLMServiceExists(u"/opt/lm"));
}

class BrokenListTest : public LicenseManagerServiceUtilityTest,
                       public testing::WithParamInterface<const char*> {};

TEST_P(BrokenListTest, AListThatCannotBeReadMeansTheSearchFailed) {
    EXPECT_THROW(utilityWith(GetParam()).checkIfLMServiceExists(u"/opt/lm"), UnableToFindLMServiceException);
}

INSTANTIATE_TEST_SUITE_P(Lists, BrokenListTest,
                         testing::Values("{", "[]", R"({"services": {}})", R"({"services": [1]})",
                                         R"({"services": [{"folder": 7, "running": true}]})",
                                         R"({"services": [{"folder": "/x", "running": "yes"}]})"));

TEST_F(LicenseManagerServiceUtilityTest, TheDefaultListIsTheOneTheEnvironmentNames) {
    EnvironmentOverride environment;
    environment.set("VELORA_LICENSE_MANAGER_SERVICES",
                    folder.writeFile("named.json", R"({"services": [{"folder": "/srv", "running": true}]})"));
    EXPECT_THROW(LicenseManagerServiceUtility().checkIfLMServiceExists(u"/opt/lm"), LMServiceExistsException);
}

}  // namespace
}  // namespace install::instlicutil
