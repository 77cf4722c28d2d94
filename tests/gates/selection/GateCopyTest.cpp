// Gates are values the workflow manager may copy, assign and move: each hand-written copy must
// keep the gate's name and the handler it shares, or the copy acts on nothing or under another
// name.
#include <gtest/gtest.h>

#include <string>

#include "gates/execution/InstallProgressGate.h"
#include "gates/selection/FolderSelectionGate.h"
#include "gates/selection/OptionSelectionGate.h"
#include "gates/selection/ProductSelectionGate.h"
#include "gates/selection/SLAGate.h"
#include "support/ModelFixture.h"

namespace install::product_installer::workflow_utils {
namespace {

template <typename GateType>
class GateCopyTest : public workflow_test::ModelFixture {};

// The install progress gate's copy goes through the progress gate's own.
using CopyableGates = ::testing::Types<SLAGate, FolderSelectionGate, OptionSelectionGate,
                                       ProductSelectionGate, InstallProgressGate>;

class GateNames {
public:
    template <typename GateType>
    static std::string GetName(int index) {
        const char* names[] = {"SLAGate", "FolderSelectionGate", "OptionSelectionGate",
                               "ProductSelectionGate", "InstallProgressGate"};
        return names[index];
    }
};
TYPED_TEST_SUITE(GateCopyTest, CopyableGates, GateNames);

TYPED_TEST(GateCopyTest, CopiesAssignmentsAndMovesActUnderTheOriginalsNameOnItsHandler) {
    const TypeParam original(u"OriginalGate", this->handler);
    TypeParam assigned(u"OtherGate", this->handler);
    assigned = original;
    TypeParam copied(original);
    TypeParam moved(std::move(copied));
    TypeParam moveAssigned(u"OtherGate", this->handler);
    moveAssigned = TypeParam(original);

    for (const TypeParam* gate : {&assigned, &moved, &moveAssigned}) {
        this->applicationData().setDataRequired(u"Unset");
        gate->setRequiredData();
        EXPECT_EQ(this->applicationData().getDataRequired(), u"OriginalGate");
    }
}

}  // namespace
}  // namespace install::product_installer::workflow_utils
