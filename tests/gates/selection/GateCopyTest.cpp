// Copies of the selection pages, as the workflow manager makes them: a copy, an assigned copy and
// a moved copy all work on the handler of the page they came from.

#include <gtest/gtest.h>

#include "gates/selection/FolderSelectionGate.h"
#include "gates/selection/OptionSelectionGate.h"
#include "gates/selection/ProductSelectionGate.h"
#include "gates/selection/SLAGate.h"
#include "support/ModelFixture.h"
#include "support/SubstituteHandler.h"

namespace selection_test {
namespace {

namespace wu = install::product_installer::workflow_utils;

template <class Gate>
class GateCopyTest : public workflow_test::ModelFixture {};

using SelectionGates =
    testing::Types<wu::FolderSelectionGate, wu::ProductSelectionGate, wu::OptionSelectionGate, wu::SLAGate>;
TYPED_TEST_SUITE(GateCopyTest, SelectionGates);

TYPED_TEST(GateCopyTest, EveryCopySharesTheHandlerOfItsOrigin) {
    const TypeParam original(u"Page", this->handler);
    TypeParam assigned(u"Other", std::make_shared<workflow_test::SubstituteHandler>());
    assigned = original;
    TypeParam moved(std::move(assigned));
    assigned = TypeParam(original);

    for (const TypeParam* copy : {&assigned, &moved}) {
        this->handler->setDataRequired(u"Unset");
        copy->setRequiredData();
        EXPECT_EQ(this->applicationData().getDataRequired(), u"Page");
    }
}

}  // namespace
}  // namespace selection_test
