// The welcome page: the packaged application's logo becomes a full path, and the step completes
// as soon as the page is confirmed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gates/session/WelcomeGate.h"
#include "install/cpputil/Logger.h"
#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"
#include "workflow_core/PathJoin.h"

namespace {

using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::joinPath;
using install::product_installer::workflow_utils::WelcomeGate;
using workflow_test::ModelFixture;
using workflow_test::SubstituteHandler;

const std::u16string kSeparator(1, static_cast<char16_t>(std::filesystem::path::preferred_separator));

class WelcomeGateTest : public ModelFixture {
protected:
    void storeLogo(const std::u16string& bundle, const std::u16string& logo) const {
        independent().getUserApplicationData().setStaticExtractedBundleDirectory(bundle);
        independent().getUserApplicationData().setLogo(logo);
    }
    std::u16string logo() const { return independent().getUserApplicationData().getLogo(); }

    WelcomeGate gate{u"WelcomeGate", handler};
};

struct LogoCase {
    const char* label;
    std::u16string bundle;
    std::u16string logo;
};

class WelcomeLogoTest : public WelcomeGateTest, public testing::WithParamInterface<LogoCase> {};

TEST_P(WelcomeLogoTest, DefaultDataPrefixesTheLogoWithTheBundleFolder) {
    storeLogo(GetParam().bundle, GetParam().logo);
    gate.setDefaultData();
    EXPECT_EQ(logo(), joinPath(GetParam().bundle, GetParam().logo));
    EXPECT_EQ(logo(), GetParam().bundle + kSeparator + GetParam().logo);
}

INSTANTIATE_TEST_SUITE_P(Logos, WelcomeLogoTest,
                         testing::Values(LogoCase{"Plain", u"/opt/velora/bundle", u"logo.png"},
                                         LogoCase{"WindowsStyle", u"C:\\b", u"logo.png"},
                                         LogoCase{"EmptyLogo", u"/opt/velora/bundle", u""},
                                         LogoCase{"EmptyBundle", u"", u"logo.png"},
                                         LogoCase{"BundleEndsInSeparator", u"/opt/bundle/", u"logo.png"},
                                         LogoCase{"NestedLogo", u"/b", u"images/logo.svg"},
                                         LogoCase{"NonAscii", u"/home/z\u00fcrich/b\u00fcndel",
                                                  u"\u30ed\u30b4.png"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(WelcomeGateTest, EachDefaultDataCallPrefixesWhatIsStoredAtThatMoment) {
    storeLogo(u"/b", u"logo.png");
    gate.setDefaultData();
    gate.setDefaultData();
    EXPECT_EQ(logo(), joinPath(u"/b", joinPath(u"/b", u"logo.png")));
}

TEST_F(WelcomeGateTest, RequiredDataIsTheGateName) {
    WelcomeGate named(u"Welcome For Runtime", handler);
    named.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"Welcome For Runtime");
}

TEST_F(WelcomeGateTest, ProcessDataAfterAFailureLeavesTheStepValidAndProcessed) {
    handler->setCurrentValidationFailure(validationResultType(1), u"earlier message", u"earlier title");
    gate.setDefaultData();
    gate.setRequiredData();
    handler->setAsDataAvailable();

    gate.processData();

    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"WelcomeGate");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
}

TEST_F(WelcomeGateTest, ProcessDataDoesNotDependOnWhatTheUserInterfaceSupplied) {
    gate.setRequiredData();
    // The user interface announced nothing before the manager moved on.
    gate.processData();
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Valid);
    EXPECT_EQ(applicationData().getDataProcessed(), u"Unset");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
}

TEST_F(WelcomeGateTest, IsNeverSkippedAndCommitsNothingItself) {
    EXPECT_FALSE(gate.checkIfShouldBeSkipped());
    EXPECT_FALSE(gate.checkIfCommitsTransactions());
    EXPECT_TRUE(gate.checkIfDataIsReady());
}

TEST_F(WelcomeGateTest, WritesNothingToTheInstallerLog) {
    install::cpputil::logger::ScopedCapture capture;
    storeLogo(u"/b", u"logo.png");
    gate.setDefaultData();
    gate.setRequiredData();
    handler->setAsDataAvailable();
    gate.processData();
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(WelcomeGateTest, CopiesAndMovesKeepNameAndSharedHandler) {
    WelcomeGate copy(gate);
    EXPECT_EQ(handler.use_count(), 3);
    WelcomeGate moved(std::move(copy));
    EXPECT_EQ(handler.use_count(), 3);

    handler->setDataRequired(u"something else");
    moved.setRequiredData();
    EXPECT_EQ(applicationData().getDataRequired(), u"WelcomeGate");
}

// Reads the bundle folder through the handler's virtual getter, so a substitute decides it.
class RelocatedBundleHandler : public SubstituteHandler {
public:
    std::u16string getStaticExtractedBundleDirectory() const override { return u"/relocated"; }
};

TEST(WelcomeGateSubstituteTest, UsesTheHandlersGetters) {
    auto handler = std::make_shared<RelocatedBundleHandler>();
    handler->setUserAppLogo(u"logo.png");
    WelcomeGate gate(u"WelcomeGate", handler);
    gate.setDefaultData();
    EXPECT_EQ(handler->installerModel().root.getWorkflowIndependentData().getUserApplicationData().getLogo(),
              joinPath(u"/relocated", u"logo.png"));
}

}  // namespace
