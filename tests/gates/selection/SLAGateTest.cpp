// The licence agreement page: who sees it, what a refusal reports, and that acceptance waits for
// the archive reader before the step completes.

#include <atomic>
#include <chrono>
#include <thread>

#include "SelectionTesting.h"
#include "gates/selection/SLAGate.h"
#include "support/SubstituteHandler.h"

namespace selection_test {
namespace {

using install::datamodels::product_installer::UpdateScenario;
using selection_test::PrintTo;

// A handler whose archive reader takes a moment; the step may complete only once it has ended.
class SlowArchivesHandler : public workflow_test::SubstituteHandler {
public:
    SlowArchivesHandler(const velora::installer::InstallerModel& installer,
                        std::shared_ptr<std::atomic<bool>> read)
        : SubstituteHandler(installer, std::thread([read] {
                                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                                *read = true;
                            })),
          archivesRead(std::move(read)) {}
    void setAsValid() const override {
        EXPECT_TRUE(*archivesRead) << "the step completes before the archives were read";
        SubstituteHandler::setAsValid();
    }
    void joinArchiveReadingThread() override {
        ++joins;
        SubstituteHandler::joinArchiveReadingThread();
    }

    std::shared_ptr<std::atomic<bool>> archivesRead;
    int joins = 0;
};

class SLAGateTest : public workflow_test::GateFixture {
protected:
    // The same model, behind a handler whose archive reader is still busy.
    std::shared_ptr<SlowArchivesHandler> slow =
        std::make_shared<SlowArchivesHandler>(installer, std::make_shared<std::atomic<bool>>(false));
    install::product_installer::workflow_utils::SLAGate gate{u"SLAGate", slow};
};

TEST_F(SLAGateTest, EachDeclineIsReportedWithoutWaitingAndAcceptingWaitsForTheArchivesFirst) {
    submit(gate);
    submit(gate);
    EXPECT_EQ(slow->joins, 0);
    const auto message = fl::i18n::message("agreeToLicenseErrorMsg");
    EXPECT_EQ(status(), (ShownStatus{Result::Failure, 11, message, u""}));
    EXPECT_FALSE(processed(u"SLAGate"));
    const ErrorRecord declined{"1850", "User declined license agreement", "", "SLAGate::AgreeToLicense"};
    EXPECT_THAT(errorRecords(), ElementsAre(declined, declined));

    independent().setIsAgreeToLicense(true);
    submit(gate);
    EXPECT_EQ(slow->joins, 1);
    EXPECT_TRUE(processed(u"SLAGate"));
    EXPECT_EQ(status().result, Result::Valid);
    EXPECT_THAT(log.lines(), ElementsAre(message, message, u"License Agreement validation is successful."));
}

struct SkipRow {
    std::string name;
    bool agreed;
    bool packagedApplication;
    UpdateScenario scenario;
    bool skipped;
};

class SLAGateSkipTest : public SLAGateTest, public testing::WithParamInterface<SkipRow> {};

TEST_P(SLAGateSkipTest, OnlyAnAgreementNotYetGivenIsAskedForUnlessAPackagedApplicationIsUpdated) {
    independent().setIsAgreeToLicense(GetParam().agreed);
    dependent().setIsVantapakInstallation(GetParam().packagedApplication);
    handler->setUpdateScenario(GetParam().scenario);
    EXPECT_EQ(gate.checkIfShouldBeSkipped(), GetParam().skipped);
    gate.skip();
    EXPECT_TRUE(processed(u"SLAGate"));
}

INSTANTIATE_TEST_SUITE_P(
    Visits, SLAGateSkipTest,
    testing::Values(SkipRow{"NotYetAgreed", false, false, UpdateScenario::AlreadyUpToDate, false},
                    SkipRow{"AlreadyAgreed", true, false, UpdateScenario::FreshInstallation, true},
                    SkipRow{"PackagedFresh", false, true, UpdateScenario::FreshInstallation, false},
                    SkipRow{"PackagedNewer", false, true, UpdateScenario::UpdateToNewerLevel, true}),
    rowName);

}  // namespace
}  // namespace selection_test
