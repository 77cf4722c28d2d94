// The step protocol of the session gates and the closing page's exit status: what a gate leaves
// in the model when the workflow manager requests its page, processes the confirmed page, or
// skips it. (The welcome page's logo path is the last line of the welcome demo, a test of its own.)
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "gates/session/FinalGate.h"
#include "gates/session/LoginGate.h"
#include "gates/session/ProductFilesDetectionGate.h"
#include "gates/session/ProxyGate.h"
#include "gates/session/WelcomeGate.h"
#include "support/ModelFixture.h"

namespace {

using workflow_test::PrintTo;
namespace wu = install::product_installer::workflow_utils;
using install::datamodels::product_installer::validationResultType;
using install::workflow_manager::Gate;
using workflow_test::joined;

struct SessionGate {
    const char* name;
    std::function<std::unique_ptr<Gate>(const std::shared_ptr<wu::DataModelHandler>&)> make;
    bool confirmable;        // whether the page is processed once confirmed
    std::string afterSteps;  // result|required|available|processed|exit status
};

template <class G>
auto gateNamed(const char16_t* name) {
    return [name](const auto& handler) { return std::make_unique<G>(name, handler); };
}

class SessionGateStepTest : public workflow_test::ModelFixture,
                            public testing::WithParamInterface<SessionGate> {};

// Requests the page over a warning and exit status 7 left by an earlier gate, confirms it, then
// skips it, whichever of these the gate takes part in.
TEST_P(SessionGateStepTest, LeavesTheStepProtocolAsItsPageRequires) {
    const auto gate = GetParam().make(handler);
    handler->setExitStatus(7);
    handler->setCurrentValidationWarning(validationResultType(15), u"earlier", u"earlier");
    gate->setRequiredData();
    handler->setAsDataAvailable();
    if (GetParam().confirmable) gate->processData();
    gate->skip();
    EXPECT_EQ(joined(applicationData().getValidationStatus().getResult(), applicationData().getDataRequired(),
                     applicationData().getDataAvailable(), applicationData().getDataProcessed(),
                     handler->getExitStatus()),
              GetParam().afterSteps);
}

// The closing page records success when requested and never completes its step.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Gates, SessionGateStepTest, testing::Values(
    SessionGate{"Welcome", gateNamed<wu::WelcomeGate>(u"Welcome"), true, "1|Welcome|Unset|Welcome|7"},
    SessionGate{"Final", gateNamed<wu::FinalGate>(u"Final"), true, "3|Final|Final|Unset|0"},
    SessionGate{"ProductFiles", gateNamed<wu::ProductFilesDetectionGate>(u"Files"), true, "1|Files|Unset|Files|7"},
    SessionGate{"LoginSkipped", gateNamed<wu::LoginGate>(u"Login"), false, "3|Login|Login|Login|7"},
    SessionGate{"ProxySkipped", gateNamed<wu::ProxyGate>(u"Proxy"), false, "3|Proxy|Proxy|Proxy|7"}),
    workflow_test::rowName);
// clang-format on

}  // namespace
