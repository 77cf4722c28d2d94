// The runtime's check before it installs: products to be had from the repository, then room on
// the disks for them, each folder asked for its part; a lack is explained by its page.
#include <map>

#include "RuntimeTesting.h"
#include "fl/i18n/Message.h"
#include "gates/runtime/VeloraRuntimeValidationGate.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "support/FakeDiskSpace.h"

namespace runtime_test {
namespace {

using runtime_test::PrintTo;
namespace ra = install::repository_adapter;
using fl::i18n::message;

// Needs 100 bytes downloaded and 1000 installed. The disks know the free bytes of their folders
// (another volume cannot be examined) and note each question in `asked`.
class TestValidationGate : public install::product_installer::workflow_utils::VeloraRuntimeValidationGate {
public:
    using VeloraRuntimeValidationGate::VeloraRuntimeValidationGate;
    std::map<std::u16string, std::uint64_t> free;
    mutable std::string asked;
    std::u16string temporary;
    bool sameVolume = true;

protected:
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<workflow_test::FakeDiskSpace>(
            [this](const std::u16string& folder, std::uint64_t bytes) {
                asked += joined(folder) + ":" + std::to_string(bytes) + " ";
                return free.at(folder) >= bytes;
            });
    }
    RequiredSizes getRequiredSizes() const override { return {100, 1000}; }
    bool isSameVolume(const std::u16string&, const std::u16string&) const override { return sameVolume; }
    std::u16string getTemporaryFolder() const override { return temporary; }
};

struct Check {
    const char* name;
    std::function<ra::ProductMap()> repository;  // none: it lists the runtime
    bool runtimeOnly, earlierRuntime;
    UpdateScenario scenario;
    std::u16string temporary;
    bool sameVolume;
    std::uint64_t installFree, temporaryFree;
    std::string verdict;                   // ready|enough space|questions|page type|runtime error item
    std::function<std::u16string()> page;  // message and title, "|"-joined; none: no page
};

class RuntimeValidationTest : public RuntimeFixture, public testing::WithParamInterface<Check> {};

TEST_P(RuntimeValidationTest, AsksForProductsThenForRoomAndExplainsALack) {
    const auto& row = GetParam();
    TestValidationGate gate(u"VeloraRuntimeValidationGate", handler);
    const auto repository = repositoryOf(codes("R"));
    if (row.repository) ON_CALL(*repository, getAvailableProducts).WillByDefault(row.repository);
    handler->setProductRepoAdapterInstance(repository);
    handler->setInstallFolder(u"/opt/runtime");
    handler->setIsQRTInstallation(row.runtimeOnly);
    handler->setHasPrevQRTInstallation(row.earlierRuntime);
    handler->setUpdateScenario(row.scenario);
    gate.temporary = row.temporary;
    gate.sameVolume = row.sameVolume;
    gate.free = {{u"/opt/runtime", row.installFree}, {u"/tmp/v", row.temporaryFree}};
    const bool ready = gate.checkIfDataIsReady();
    const auto item = dependent().getQrtErrorItem();
    const auto shown = status() == earlierStatus();
    EXPECT_EQ(
        joined(ready, handler->getHasEnoughSpace(), gate.asked, shown ? "-" : joined(status().resultType),
               item.isNull() ? "-" : joined(item.getErrorType())),
        row.verdict);
    const auto page = row.page ? row.page() : u"-";
    EXPECT_EQ(shown ? u"-" : status().message + u"|" + status().title, page);
    EXPECT_TRUE(!row.page || page.starts_with(log.lines().back() + u"|")) << "the message is logged";
}

template <class Failure>
std::function<ra::ProductMap()> failing() {
    return []() -> ra::ProductMap { throw Failure("3010", "no products", "", "Repository"); };
}
std::function<std::u16string()> page(const char* messageKey, const char* titleKey) {
    return [=] { return message(messageKey, "2031.1", "w64pc") + u"|" + message(titleKey); };
}
std::function<std::u16string()> noRoom(bool titled) {
    return [=] {
        return message("productSelectionSpaceWarningMsg", "1000 B") + u"|" +
               (titled ? message("standardErrorTitle") : u"");
    };
}
constexpr auto kFresh = UpdateScenario::FreshInstallation;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, RuntimeValidationTest, testing::Values(
    Check{"RuntimeWithRoom", nullptr, true, false, kFresh, u"/tmp/v", true, 1000, 0, "true|true|/opt/runtime:1000 |-|-", nullptr},
    Check{"FirstRuntimeWithoutRoom", nullptr, true, false, kFresh, u"/tmp/v", true, 999, 0, "false|false|/opt/runtime:1000 |24|-", noRoom(true)},
    Check{"UpdateWithoutRoom", nullptr, true, true, UpdateScenario::ProductsAdded, u"/tmp/v", true, 999, 0, "false|false|/opt/runtime:1000 |25|3", noRoom(false)},
    Check{"EarlierRuntimeWithTheUpdateUndecided", nullptr, true, true, UpdateScenario::Unknown, u"/tmp/v", true, 999, 0, "true|false|/opt/runtime:1000 |-|-", nullptr},
    Check{"DownloadOnTheSameVolumeNeedsTheSum", nullptr, false, false, kFresh, u"/tmp/v", true, 1099, 0, "false|false|/opt/runtime:1100 |24|-", noRoom(true)},
    Check{"DownloadOnAnotherVolumeNeedsItsOwnPart", nullptr, false, false, kFresh, u"/tmp/v", false, 1000, 100, "true|true|/opt/runtime:1000 /tmp/v:100 |-|-", nullptr},
    Check{"NoTemporaryFolderNoCheck", nullptr, false, false, kFresh, u"", false, 0, 0, "true|true||-|-", nullptr},
    Check{"AVolumeThatCannotBeExaminedCountsAsRoom", nullptr, false, false, kFresh, u"/elsewhere", false, 1000, 0, "true|true|/opt/runtime:1000 /elsewhere:100 |-|-", nullptr},
    Check{"RepositoryUnreachable", failing<ra::RepoAdapterWebServiceException>(), true, false, kFresh, u"", true, 0, 0, "false|false||1|-", page("connectionErrorMsg", "connectionErrorTitle")},
    Check{"DescriptionsNotFetched", failing<ra::RepoAdapterDWSDownloadException>(), true, false, kFresh, u"", true, 0, 0, "false|false||1|-", page("noProductsAlertMsg", "noProductsAlertTitle")},
    Check{"DescriptionsNotUnpacked", failing<ra::RepoAdapterDWSExtractException>(), true, false, kFresh, u"", true, 0, 0, "false|false||1|-", page("noProductsAlertMsg", "noProductsAlertTitle")}),
    rowName);
// clang-format on

}  // namespace
}  // namespace runtime_test
