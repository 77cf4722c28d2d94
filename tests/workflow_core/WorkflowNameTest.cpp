// Workflow names are compared code unit by code unit, and every is...Workflow answer comes from
// getWorkflow() so a substitute handler can steer them all.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::ModelFixture;
using workflow_test::SubstituteHandler;

enum Workflow { Online, FromFolder, DownloadOnly, Vantapak, LicenseManager, None };

// The five predicates in a fixed order, so a case names the one expected to answer true.
std::array<bool, 5> answers(const DataModelHandler& handler) {
    return {handler.isOnlineInstallWorkflow(), handler.isInteractiveInstallFromFolderWorkflow(),
            handler.isDownloadOnlyWorkflow(), handler.isVantapakWorkflow(),
            handler.isLicenseManagerWorkflow()};
}

std::array<bool, 5> only(Workflow workflow) {
    std::array<bool, 5> expected{};
    if (workflow != None) expected[workflow] = true;
    return expected;
}

struct NameCase {
    const char* label;
    std::u16string name;
    Workflow matches;
};

const NameCase kNames[] = {
    {"Online", u"Interactive Online Install", Online},
    {"FromFolder", u"Interactive Install From Folder", FromFolder},
    {"DownloadOnly", u"DownloadOnly", DownloadOnly},
    {"Vantapak", u"Vantapak Install", Vantapak},
    {"LicenseManager", u"License Manager", LicenseManager},
    {"LowerCase", u"downloadonly", None},
    {"TrailingBlank", u"DownloadOnly ", None},
    {"LeadingBlank", u" DownloadOnly", None},
    {"InnerBlank", u"Download Only", None},
    {"TrailingNul", std::u16string(u"DownloadOnly\0", 13), None},
    {"Prefix", u"Interactive Online", None},
    {"DifferentCase", u"License manager", None},
    {"Empty", u"", None},
    {"Placeholder", u"Unset", None},
};

class WorkflowNameTest : public ModelFixture, public testing::WithParamInterface<NameCase> {};

TEST_P(WorkflowNameTest, OnlyTheExactNameMatches) {
    handler->setWorkflow(GetParam().name);
    EXPECT_EQ(applicationData().getWorkflowName(), GetParam().name);
    EXPECT_EQ(answers(*handler), only(GetParam().matches));
}

INSTANTIATE_TEST_SUITE_P(Names, WorkflowNameTest, testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.label); });

// Answers getWorkflow() from a member while the model holds something else entirely.
class FixedWorkflowHandler : public SubstituteHandler {
public:
    std::u16string getWorkflow() const override { return name; }
    std::u16string name;
};

TEST(SubstituteWorkflowTest, OverridingGetWorkflowAloneChangesEveryAnswer) {
    FixedWorkflowHandler handler;
    handler.installerModel().root.getWorkflowIndependentData().getApplicationData().setWorkflowName(
        u"Interactive Online Install");

    for (const auto& entry : kNames) {
        handler.name = entry.name;
        EXPECT_EQ(answers(handler), only(entry.matches)) << entry.label;
    }
}

class FixedTokenHandler : public SubstituteHandler {
public:
    std::u16string getAccessToken() const override { return token; }
    std::u16string token;
};

TEST(SubstituteLoginTest, OverridingGetAccessTokenDecidesWhetherSomeoneIsLoggedIn) {
    FixedTokenHandler handler;
    handler.token = u"token-from-substitute";
    EXPECT_TRUE(handler.isUserLoggedIn());

    handler.initializeLoginModelForResponseParameters();
    handler.installerModel().root.getWorkflowIndependentData().getUserInfo().setAccessToken(
        u"token-in-model");
    handler.token.clear();
    EXPECT_FALSE(handler.isUserLoggedIn());
}

class InitialWorkflowTest : public ModelFixture {};

TEST_F(InitialWorkflowTest, InitialWorkflowIsSeparateFromTheCurrentOne) {
    handler->setWorkflow(u"DownloadOnly");
    handler->setInitialWorkflow(u"Interactive Online Install");
    EXPECT_EQ(handler->getInitialWorkflow(), u"Interactive Online Install");
    EXPECT_EQ(handler->getWorkflow(), u"DownloadOnly");
    EXPECT_EQ(independent().getInitialWorkflow(), u"Interactive Online Install");
}

TEST_F(InitialWorkflowTest, SilentIsAFlagNotAName) {
    handler->setWorkflow(u"Silent");
    EXPECT_FALSE(handler->isSilentWorkflow());
    independent().setIsSilent(true);
    EXPECT_TRUE(handler->isSilentWorkflow());
}

}  // namespace
