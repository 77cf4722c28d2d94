// The runtime's check before it installs: products to be had from the repository, room on the
// disks for them (each folder asked for its part), and the online repository configured for the
// update level to install.
#include <map>

#include "RuntimeTesting.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/VeloraRuntimeValidationGate.h"
#include "install/repository_adapter/RepoAdapterConfiguration.h"
#include "install/repository_adapter/RepositoryExceptions.h"

namespace runtime_test {
namespace {

namespace wu = install::product_installer::workflow_utils;
namespace ra = install::repository_adapter;
using fl::i18n::message;

// Free bytes per folder; the folders asked about, with the bytes, in `questions`.
struct Disks : install::engine::DiskSpaceValidator {
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t bytes) const override {
        if (!freeBytes.contains(folder)) throw std::runtime_error("no such volume");
        *questions += (questions->empty() ? "" : ",") + joined(folder) + ":" + std::to_string(bytes);
        return freeBytes.at(folder) >= bytes;
    }
    std::map<std::u16string, std::uint64_t> freeBytes;
    std::shared_ptr<std::string> questions = std::make_shared<std::string>();
};

struct Sizes : install::engine::RequiredSizeCalculator {
    std::pair<std::uint64_t, std::uint64_t> getRequiredDownloadAndInstallSize(
        const Texts&, const std::u16string&, const std::vector<std::string>&, const std::vector<std::string>&,
        const ra::ProductMap&, bool, bool) const override {
        return {100, 1000};
    }
};

struct Volumes : install::platformutil::VolumeDetector {
    explicit Volumes(bool same) : same(same) {}
    bool isSameVolume(const std::u16string&, const std::u16string&) const override { return same; }
    bool same;
};

class TestValidationGate : public wu::VeloraRuntimeValidationGate {
public:
    using VeloraRuntimeValidationGate::VeloraRuntimeValidationGate;
    Disks disks;
    std::u16string temporary;
    bool sameVolume = true;

protected:
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<Disks>(disks);
    }
    std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const override {
        return std::make_unique<Sizes>();
    }
    std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const override {
        return std::make_unique<Volumes>(sameVolume);
    }
    std::u16string getTemporaryFolder() const override { return temporary; }
};

class RuntimeValidationTest : public RuntimeFixture {
protected:
    RuntimeValidationTest() {
        handler->setInstallFolder(u"/opt/runtime");
        handler->setProductRepoAdapterInstance(repository);
    }
    std::shared_ptr<workflow_test::MockRepositoryAdapter> repository = repositoryOf(codes("R"));
    TestValidationGate gate{u"VeloraRuntimeValidationGate", handler};
};

struct Room {
    const char* name;
    bool runtimeOnly, earlierRuntime;
    UpdateScenario scenario;
    std::u16string temporary;
    bool sameVolume;
    std::uint64_t installFree, temporaryFree;
    std::string verdict;  // ready|enough space|folders asked|failure type|runtime error item
};

class RoomTest : public RuntimeValidationTest, public testing::WithParamInterface<Room> {};

TEST_P(RoomTest, EachFolderIsAskedForItsPartAndALackIsExplained) {
    const auto& row = GetParam();
    handler->setIsQRTInstallation(row.runtimeOnly);
    handler->setHasPrevQRTInstallation(row.earlierRuntime);
    handler->setUpdateScenario(row.scenario);
    gate.temporary = row.temporary;
    gate.sameVolume = row.sameVolume;
    gate.disks.freeBytes = {{u"/opt/runtime", row.installFree}, {u"/tmp/v", row.temporaryFree}};
    const bool ready = gate.checkIfDataIsReady();
    const auto item =
        dependent().hasQrtErrorItem() ? joined(dependent().getQrtErrorItem().getErrorType()) : "-";
    const auto type = status() == earlierStatus() ? "-" : joined(status().resultType);
    EXPECT_EQ(joined(ready, handler->getHasEnoughSpace(), *gate.disks.questions, type, item), row.verdict);
    if (type == "-") return;
    const auto shown = message("productSelectionSpaceWarningMsg", "1000 B");
    EXPECT_EQ(status().message + u"|" + status().title,
              shown + u"|" + (row.earlierRuntime ? u"" : message("standardErrorTitle")));
    EXPECT_THAT(log.lines(), ElementsAre(shown));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Disks, RoomTest, testing::Values(
    Room{"RuntimeWithRoom", true, false, UpdateScenario::FreshInstallation, u"/tmp/v", true, 1000, 0, "true|true|/opt/runtime:1000|-|-"},
    Room{"FirstRuntimeWithoutRoom", true, false, UpdateScenario::FreshInstallation, u"/tmp/v", true, 999, 0, "false|false|/opt/runtime:1000|24|-"},
    Room{"UpdateWithoutRoom", true, true, UpdateScenario::ProductsAdded, u"/tmp/v", true, 999, 0, "false|false|/opt/runtime:1000|25|3"},
    Room{"EarlierRuntimeWithTheUpdateUndecided", true, true, UpdateScenario::Unknown, u"/tmp/v", true, 999, 0, "true|false|/opt/runtime:1000|-|-"},
    Room{"DownloadOnTheSameVolumeNeedsTheSum", false, false, UpdateScenario::FreshInstallation, u"/tmp/v", true, 1099, 0, "false|false|/opt/runtime:1100|24|-"},
    Room{"DownloadOnAnotherVolumeNeedsItsOwnPart", false, false, UpdateScenario::FreshInstallation, u"/tmp/v", false, 1000, 100, "true|true|/opt/runtime:1000,/tmp/v:100|-|-"},
    Room{"NoTemporaryFolderNoCheck", false, false, UpdateScenario::FreshInstallation, u"", false, 0, 0, "true|true||-|-"},
    Room{"AVolumeThatCannotBeExaminedCountsAsRoom", false, false, UpdateScenario::FreshInstallation, u"/elsewhere", false, 1000, 0, "true|true|/opt/runtime:1000|-|-"}),
    rowName);
// clang-format on

struct Unavailable {
    const char* name;
    std::function<void()> raise;
    const char* titleKey;
    const char* messageKey;
};

template <class Failure>
std::function<void()> raising() {
    return [] { throw Failure("3010", "no products", "", "Repository"); };
}

class UnavailableTest : public RuntimeValidationTest, public testing::WithParamInterface<Unavailable> {};

TEST_P(UnavailableTest, RepositoryFailuresShowTheirPage) {
    ON_CALL(*repository, getAvailableProducts).WillByDefault([raise = GetParam().raise]() -> ra::ProductMap {
        raise();
        return {};
    });
    EXPECT_FALSE(gate.checkIfDataIsReady());
    const auto shown = message(GetParam().messageKey, "2031.1", "w64pc");
    EXPECT_EQ(status(),
              (workflow_test::ShownStatus{Result::Failure, 1, shown, message(GetParam().titleKey)}));
    EXPECT_THAT(log.lines(), ElementsAre(shown));
    EXPECT_EQ(*gate.disks.questions, "") << "no space check without products";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Repository, UnavailableTest, testing::Values(
    Unavailable{"WebService", raising<ra::RepoAdapterWebServiceException>(), "connectionErrorTitle", "connectionErrorMsg"},
    Unavailable{"DescriptionsNotFetched", raising<ra::RepoAdapterDWSDownloadException>(), "noProductsAlertTitle", "noProductsAlertMsg"},
    Unavailable{"DescriptionsNotUnpacked", raising<ra::RepoAdapterDWSExtractException>(), "noProductsAlertTitle", "noProductsAlertMsg"}),
    rowName);
// clang-format on

TEST_F(RuntimeValidationTest,
       AnApplicationsRuntimeComesFromTheOnlineRepositoryConfiguredForTheLevelToInstall) {
    const auto online = repositoryOf(codes("R"));
    ra::config::RepoAdapterConfiguration configured;
    EXPECT_CALL(*online, configure).Times(2).WillRepeatedly(testing::SaveArg<0>(&configured));
    EXPECT_CALL(*online, setProxyCredentials("jdoe", "s3cret")).Times(2);
    auto registry = std::make_shared<microservices::ServiceRegistry>();
    registry->registerService<ra::RepositoryAdapter>(online, {{"type", "onlineproduct"}});
    dependent().setIsVantapakInstallation(true);
    independent().setInstallerVersion(u"31.1.4");
    independent().getRelease().setStatus(u"Prerelease");
    handler->initializeProxy();
    independent().getProxy().setUserName(u"jdoe");
    independent().getProxy().setPassword(u"s3cret");
    handler->setInstalledProductsReleaseUpdateLevel(4);
    EXPECT_THROW(gate.setDefaultData(), std::runtime_error) << "no registry given";

    gate.setServiceRegistry(registry);
    handler->setToBeInstalledUpdateLevel(0);
    gate.setDefaultData();
    EXPECT_EQ(
        joined(configured.getClientString(), configured.getInstallerName(), configured.getInstallerVersion(),
               configured.getKxAccountToken(), configured.getKxClientSignature(),
               configured.getReleaseFamily(), configured.getReleaseStatus(), configured.getUpdateNo(),
               handler->IsFolderRepoInstance()),
        "VeloraRuntimeInstaller|VRI|31.1.4||6|2031.1|Prerelease|4|false");
    EXPECT_EQ(handler->getProductRepoAdapterInstance(), online);
    gate.setDefaultData();  // same level, products there: kept
    independent().getRelease().setUpdateLevel(6);
    gate.setDefaultData();
    EXPECT_EQ(configured.getUpdateNo(), 6);
}

}  // namespace
}  // namespace runtime_test
