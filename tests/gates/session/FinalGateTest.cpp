// The closing page: success recorded when the page is requested, and nothing else touched.
#include <gtest/gtest.h>

#include "gates/session/FinalGate.h"
#include "support/ModelFixture.h"

namespace {

using install::datamodels::common::Result;
using install::product_installer::workflow_utils::FinalGate;
using workflow_test::ModelFixture;

class FinalGateTest : public ModelFixture {
protected:
    FinalGate gate{u"FinalGate", handler};
};

TEST_F(FinalGateTest, RequestingThePageRecordsSuccessOverAnEarlierStatus) {
    handler->setExitStatus(7);

    gate.setRequiredData();

    EXPECT_EQ(handler->getExitStatus(), 0);
    EXPECT_EQ(handler->getDataRequired(), u"FinalGate");
}

TEST_F(FinalGateTest, ProcessingTouchesNothing) {
    handler->setExitStatus(3);
    handler->setDataRequired(u"Earlier");
    handler->setAsDataAvailable();
    handler->setCurrentValidationWarning(install::datamodels::product_installer::validationResultType(15),
                                         u"m", u"t");
    const auto processedBefore = applicationData().getDataProcessed();
    const auto availableBefore = applicationData().getDataAvailable();

    gate.processData();

    EXPECT_EQ(handler->getExitStatus(), 3);
    EXPECT_EQ(handler->getDataRequired(), u"Earlier");
    EXPECT_EQ(applicationData().getDataAvailable(), availableBefore);
    EXPECT_EQ(applicationData().getDataProcessed(), processedBefore);
    EXPECT_EQ(applicationData().getValidationStatus().getResult(), Result::Warning);
    EXPECT_EQ(applicationData().getValidationStatus().getMessage(), u"m");
}

TEST_F(FinalGateTest, CopiesAndMovesKeepNameAndHandler) {
    FinalGate copy(gate);
    FinalGate moved(std::move(copy));
    FinalGate assigned(u"Other", handler);
    assigned = moved;

    handler->setExitStatus(1);
    assigned.setRequiredData();

    EXPECT_EQ(handler->getExitStatus(), 0);
    EXPECT_EQ(handler->getDataRequired(), u"FinalGate");
}

}  // namespace
