// The data flow of one gate step and the validation results the user interface shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/ModelFixture.h"

namespace {

using install::datamodels::common::ApplicationData;
using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::datamodels::product_installer::ValidationResultType;
using workflow_test::ModelFixture;

// Counts the commits that changed ApplicationData and what dataAvailable held at each.
class ApplicationDataObserver : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;

    void transactionCommitted(const tq::zero::ShallowChangeReport<ApplicationData>& report) {
        for (const auto& entry : report) {
            if (entry.isChanged(ApplicationData::dataAvailableProperty())) {
                seenDataAvailable.push_back(entry.element.getDataAvailable());
            }
        }
    }

    std::vector<std::u16string> seenDataAvailable;
};

// Rejects every commit that touches ApplicationData.
class RejectingValidator : public tq::zero::Listener {
public:
    static constexpr bool IsValidator = true;

    std::optional<std::string> validateTransaction(const tq::zero::ShallowChangeReport<ApplicationData>&) {
        return std::string("the test rejects every change of the application data");
    }
};

class StepProtocolTest : public ModelFixture {};

TEST_F(StepProtocolTest, RequiredDataNameReadsBack) {
    handler->setDataRequired(u"FolderSelectionGate");
    EXPECT_EQ(applicationData().getDataRequired(), u"FolderSelectionGate");
    EXPECT_EQ(handler->getDataRequired(), u"FolderSelectionGate");
}

TEST_F(StepProtocolTest, AvailableThenProcessedCompletesTheRequiredStep) {
    handler->setDataRequired(u"WelcomeGate");
    handler->setAsDataAvailable();
    EXPECT_EQ(applicationData().getDataAvailable(), u"WelcomeGate");

    handler->setAsDataProcessed();
    EXPECT_EQ(applicationData().getDataProcessed(), u"WelcomeGate");
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
    EXPECT_EQ(applicationData().getDataRequired(), u"WelcomeGate");
}

TEST_F(StepProtocolTest, ProcessedTakesWhatIsAvailableNotWhatIsRequired) {
    handler->setDataRequired(u"ProductSelectionGate");
    applicationData().setDataAvailable(u"FolderSelectionGate");
    handler->setAsDataProcessed();
    EXPECT_EQ(applicationData().getDataProcessed(), u"FolderSelectionGate");
}

TEST_F(StepProtocolTest, SkippingMarksOnlyTheNamedStepProcessed) {
    applicationData().setDataAvailable(u"LoginGate");
    handler->setDataProcessed(u"ProxyGate");
    EXPECT_EQ(applicationData().getDataProcessed(), u"ProxyGate");
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate");
}

TEST_F(StepProtocolTest, DataModifiedFlagFollowsTheSetter) {
    handler->setIsDataModified(true);
    EXPECT_TRUE(applicationData().getIsDataModified());
    handler->setIsDataModified(false);
    EXPECT_FALSE(applicationData().getIsDataModified());
}

// --- setDataAvailableToUnset commits a transaction of its own ---

class UnsetTransactionTest : public ModelFixture {
protected:
    void SetUp() override { applicationData().setDataAvailable(u"LoginGate"); }
};

TEST_F(UnsetTransactionTest, OnAThreadWithoutTransactionCommitsAndLeavesNoneOpen) {
    ApplicationDataObserver observer;
    model().addListener(observer);

    handler->setDataAvailableToUnset();

    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
    EXPECT_THAT(observer.seenDataAvailable, testing::ElementsAre(u"Unset"));
    model().removeListener(observer);
}

TEST_F(UnsetTransactionTest, InsideTheCallersTransactionLeavesExactlyTheCallersOpen) {
    model().beginTransaction(false);
    handler->setDataAvailableToUnset();
    EXPECT_TRUE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");

    (void)model().commit();
    model().endTransaction();
    EXPECT_FALSE(model().isInTransaction());
    EXPECT_EQ(applicationData().getDataAvailable(), u"Unset");
}

TEST_F(UnsetTransactionTest, ARejectedCommitIsIgnoredAndClosesTheTransaction) {
    RejectingValidator validator;
    model().addListener(validator);

    EXPECT_NO_THROW(handler->setDataAvailableToUnset());
    EXPECT_FALSE(model().isInTransaction());
    // The model undoes what it refused.
    EXPECT_EQ(applicationData().getDataAvailable(), u"LoginGate");
    model().removeListener(validator);
}

TEST_F(UnsetTransactionTest, AFailedWriteStillClosesTheTransaction) {
    independent().setApplicationData(ApplicationData());
    EXPECT_THROW(handler->setDataAvailableToUnset(), std::exception);
    EXPECT_FALSE(model().isInTransaction());
}

// --- validation results ---

struct ValidationCase {
    const char* label;
    bool warning;
    std::int32_t type;
    Result expectedResult;
};

class ValidationResultTest : public ModelFixture, public testing::WithParamInterface<ValidationCase> {
protected:
    void report(const std::u16string& message, const std::u16string& title) const {
        const auto type = validationResultType(GetParam().type);
        if (GetParam().warning) {
            handler->setCurrentValidationWarning(type, message, title);
        } else {
            handler->setCurrentValidationFailure(type, message, title);
        }
    }
};

TEST_P(ValidationResultTest, StoresTypeResultAndTextsWithMessageBeforeTitle) {
    report(u"The folder is not writable.", u"Destination folder");

    EXPECT_EQ(independent().getValidationResultType(), validationResultType(GetParam().type));
    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), GetParam().expectedResult);
    EXPECT_EQ(status.getMessage(), u"The folder is not writable.");
    EXPECT_EQ(status.getTitle(), u"Destination folder");
    EXPECT_TRUE(status.id().is_nil());
}

TEST_P(ValidationResultTest, ReplacesTheStatusElementSoEarlierHandlesKeepTheirResult) {
    const auto before = applicationData().getValidationStatus();
    before.setResult(Result::Valid);

    report(u"message", u"title");

    const auto after = applicationData().getValidationStatus();
    EXPECT_FALSE(after == before);
    EXPECT_EQ(before.getResult(), Result::Valid);
}

TEST_P(ValidationResultTest, SetAsValidAfterwardsKeepsTitleAndMessage) {
    report(u"Sign-in failed.", u"Sign in");
    handler->setAsValid();

    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), Result::Valid);
    EXPECT_EQ(status.getMessage(), u"Sign-in failed.");
    EXPECT_EQ(status.getTitle(), u"Sign in");
}

INSTANTIATE_TEST_SUITE_P(FailureAndWarning, ValidationResultTest,
                         testing::Values(ValidationCase{"FailureType1", false, 1, Result::Failure},
                                         ValidationCase{"FailureType21", false, 21, Result::Failure},
                                         ValidationCase{"WarningType3", true, 3, Result::Warning},
                                         ValidationCase{"WarningType0", true, 0, Result::Warning}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(StepProtocolTest, InitializeValidationStatusStartsAFreshStatus) {
    handler->setCurrentValidationFailure(validationResultType(7), u"m", u"t");
    handler->initializeValidationStatus();

    const auto status = applicationData().getValidationStatus();
    EXPECT_EQ(status.getResult(), Result::Unknown);
    EXPECT_TRUE(status.getMessage().empty());
    EXPECT_TRUE(status.getTitle().empty());
}

}  // namespace
