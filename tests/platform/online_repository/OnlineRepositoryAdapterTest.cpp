// The online repository over HTTP: what the sample repository offers, and each way of failing
// mapped to the exception the pages know.
#include "OnlineRepositoryAdapter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "install/online_service/ProxyAuthenticationRequiredException.h"
#include "install/repository_adapter/RepositoryExceptions.h"
#include "support/RepoServerProcess.h"
#include "support/ScratchFolder.h"

namespace install::repository_adapter {
namespace {

using testing::ElementsAre;
using testing::Pair;
using workflow_test::RepoServerProcess;

config::RepoAdapterConfiguration release(std::u16string family, std::vector<std::u16string> platforms) {
    config::RepoAdapterConfiguration configuration;
    configuration.setReleaseFamily(std::move(family));
    configuration.setReleaseStatus(u"Release");
    configuration.setPlatforms(std::move(platforms));
    return configuration;
}

TEST(OnlineRepositoryAdapterTest, OffersTheSampleProductsWithTheArchivesOfEveryPlatformAskedFor) {
    RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    OnlineRepositoryAdapter repository(server.url(), "l64pc");
    const auto single = repository.getAvailableProducts().at(u"VELORA")->getDownloadSize();
    repository.configure(release(u"2025.1", {u"l64pc", u"w64pc"}));

    const auto products = repository.getAvailableProducts();
    EXPECT_EQ(products.size(), 6u);
    EXPECT_EQ(products.at(u"VELORA")->getName(), u"Velora");
    EXPECT_EQ(products.at(u"VELORA")->getDownloadSize(), 2 * single) << "one archive per platform";
    const auto archive = repository.getProductArchive(u"VELORA", "w64pc");
    ASSERT_TRUE(archive.has_value());
    EXPECT_EQ(archive->address, server.url("archives/2025.1/VELORA.enc"));
    EXPECT_EQ(archive->size, single);
    EXPECT_EQ(archive->sha256.size(), 64u);
    EXPECT_FALSE(repository.getProductArchive(u"NOPE", "l64pc").has_value());
    EXPECT_THAT(repository.getInstallerUrls({"w64pc", "l64pc"}),
                ElementsAre(Pair("velora_installer_2025.1_l64pc.zip",
                                 server.url("installers/2025.1/l64pc/velora_installer_2025.1_l64pc.zip")),
                            Pair("velora_installer_2025.1_w64pc.zip",
                                 server.url("installers/2025.1/w64pc/velora_installer_2025.1_w64pc.zip"))));
    EXPECT_TRUE(repository.doProductsExist());
}

struct Failure {
    std::string name;
    std::vector<std::string> serverArguments;
    std::u16string family;
    std::string index;  // written as the l64pc index of a repository of its own when not empty
    std::function<void(OnlineRepositoryAdapter&)> expectThrow;
};

template <class Exception>
std::function<void(OnlineRepositoryAdapter&)> throws() {
    return [](OnlineRepositoryAdapter& repository) {
        EXPECT_THROW(repository.getAvailableProducts(), Exception);
        // Only credentials can help with a proxy: the question goes on to the proxy step.
        if constexpr (std::is_base_of_v<RepoAdapterException, Exception>) {
            EXPECT_FALSE(repository.doProductsExist());
        } else {
            EXPECT_THROW(repository.doProductsExist(), Exception);
        }
    };
}

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class OnlineRepositoryFailureTest : public testing::TestWithParam<Failure> {};

TEST_P(OnlineRepositoryFailureTest, IsTheExceptionThePagesReport) {
    workflow_test::ScratchFolder root;
    std::vector<std::string> arguments{"--root", VELORA_SAMPLE_REPOSITORY};
    if (!GetParam().index.empty()) {
        root.writeFile("index/2025.1/Release/l64pc.json", GetParam().index);
        arguments[1] = root.path().string();
    }
    arguments.insert(arguments.end(), GetParam().serverArguments.begin(), GetParam().serverArguments.end());
    std::map<std::string, std::string> environment{{"VELORA_REPO_PROXY_AUTH", "alice:s3cret"}};
    RepoServerProcess server(VELORA_REPO_SERVER, arguments, environment);
    OnlineRepositoryAdapter repository(server.url(), "l64pc");
    repository.configure(release(GetParam().family, {}));
    if (GetParam().name == "ProxyWithoutCredentials") repository.setProxyAddress(server.url());
    GetParam().expectThrow(repository);
}

const std::string kHead = R"({"formatVersion": 1, "platform": "l64pc", )";
const std::string kSum = std::string(64, 'a');

INSTANTIATE_TEST_SUITE_P(
    Repositories, OnlineRepositoryFailureTest,
    testing::Values(
        Failure{"ReleaseNotHeld", {}, u"1999.1", "", throws<RepoAdapterDWSDownloadException>()},
        Failure{"ServiceUnavailable",
                {"--fault", "status=503"},
                u"2025.1",
                "",
                throws<RepoAdapterWebServiceException>()},
        Failure{"ProxyWithoutCredentials",
                {},
                u"2025.1",
                "",
                throws<online_service::ProxyAuthenticationRequiredException>()},
        Failure{"NotJson", {}, u"2025.1", "<html>", throws<RepoAdapterDWSExtractException>()},
        Failure{"NewerFormat",
                {},
                u"2025.1",
                R"({"formatVersion": 2, "platform": "l64pc", "products": []})",
                throws<RepoAdapterDWSExtractException>()},
        Failure{
            "ArchiveOutsideTheRepository",
            {},
            u"2025.1",
            kHead +
                R"("products": [{"baseCode": "V", "name": "V", "archive": {"url": "a/../../x.enc", "size": 1, "sha256": ")" +
                kSum + R"("}}]})",
            throws<RepoAdapterDWSExtractException>()},
        Failure{
            "InstallerNamedOutsideTheFolder",
            {},
            u"2025.1",
            kHead +
                R"("products": [], "installers": [{"name": "../setup.zip", "url": "i/s.zip", "size": 1, "sha256": ")" +
                kSum + R"("}]})",
            throws<RepoAdapterDWSExtractException>()},
        Failure{
            "ChecksumNotSha256",
            {},
            u"2025.1",
            kHead +
                R"("products": [{"baseCode": "V", "name": "V", "archive": {"url": "x.enc", "size": 1, "sha256": "abc"}}]})",
            throws<RepoAdapterDWSExtractException>()},
        Failure{
            "NegativeArchiveSize",
            {},
            u"2025.1",
            kHead +
                R"("products": [{"baseCode": "V", "name": "V", "archive": {"url": "x.enc", "size": -1, "sha256": ")" +
                kSum + R"("}}]})",
            throws<RepoAdapterDWSExtractException>()},
        Failure{
            "UpdateLevelBeyondAnyInteger",
            {},
            u"2025.1",
            kHead +
                R"("products": [{"baseCode": "V", "name": "V", "updateLevel": 1e90, "archive": {"url": "x.enc", "size": 1, "sha256": ")" +
                kSum + R"("}}]})",
            throws<RepoAdapterDWSExtractException>()}),
    [](const auto& info) { return info.param.name; });

TEST(OnlineRepositoryAdapterTest, AServerThatIsNotThereCannotBeReached) {
    std::string address;
    {
        RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
        address = server.url();
    }
    OnlineRepositoryAdapter repository(address, "l64pc");
    EXPECT_THROW(repository.getAvailableProducts(), RepoAdapterWebServiceException);
}

}  // namespace
}  // namespace install::repository_adapter
