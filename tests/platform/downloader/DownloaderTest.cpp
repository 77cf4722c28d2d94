// The downloader end to end against velora-repo-server on the sample repository.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include "Sha256.h"
#include "install/downloader/Downloader.h"
#include "install/downloader/DownloaderExceptions.h"
#include "support/RepoServerProcess.h"
#include "support/ScratchFolder.h"

namespace {

using namespace install::downloader;
using workflow_test::RepoServerProcess;
namespace fs = std::filesystem;

const fs::path kPackages = VELORA_SAMPLE_PACKAGES;
const std::string kArchive = "archives/2025.1/VELORA.enc";

std::string contentOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), {}};
}

std::string sha256Of(const std::string& bytes) {
    install::enczip::Sha256 digest;
    digest.update(bytes.data(), bytes.size());
    return digest.finishHex();
}

enum class Outcome { Complete, Failed, ProxyRefused, TimedOut, Mismatch };

struct Row {
    std::string name{};
    std::vector<std::string> serverArguments{};
    std::string part{};  // what "<target>.part" holds before; "head" for the archive's first 400 bytes
    std::string proxyCredentials{};  // through the server as proxy when not empty; "-" for none
    std::string path = kArchive;
    bool wrongChecksum = false;
    Outcome first = Outcome::Complete;
    long status = 0;         // the HTTP status a Failed outcome carries
    bool partKept = false;   // after a failed first attempt
    std::string lineSeen{};  // part of a request line the server must have printed
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class DownloaderTable : public testing::TestWithParam<Row> {};

TEST_P(DownloaderTable, EndsAsExpectedWithNothingHalfWrittenUnderTheTargetName) {
    const Row& row = GetParam();
    const std::string archive = contentOf(kPackages / "VELORA.enc");
    workflow_test::ScratchFolder scratch;
    const fs::path target = scratch.path() / "VELORA.enc";
    const fs::path part = scratch.path() / "VELORA.enc.part";
    if (!row.part.empty())
        scratch.writeFile("VELORA.enc.part", row.part == "head" ? archive.substr(0, 400) : row.part);
    std::vector<std::string> arguments{"--root", VELORA_SAMPLE_REPOSITORY};
    arguments.insert(arguments.end(), row.serverArguments.begin(), row.serverArguments.end());
    std::map<std::string, std::string> environment;
    if (!row.proxyCredentials.empty()) environment["VELORA_REPO_PROXY_AUTH"] = "alice:s3cret";
    RepoServerProcess server(VELORA_REPO_SERVER, arguments, environment);

    Downloader downloader(server.url(row.path), target.u16string());
    downloader.setExpectedSha256(row.wrongChecksum ? std::string(64, '0') : sha256Of(archive));
    downloader.setTimeouts(std::chrono::seconds(5), std::chrono::seconds(1));
    if (!row.proxyCredentials.empty()) {
        downloader.setProxyUrl(server.url());
        const auto colon = row.proxyCredentials.find(':');
        if (colon != std::string::npos)
            downloader.setProxySettings(row.proxyCredentials.substr(0, colon),
                                        row.proxyCredentials.substr(colon + 1));
    }
    std::pair<std::int64_t, std::int64_t> lastProgress;
    downloader.setProgressCallback([&](std::int64_t done, std::int64_t total) {
        lastProgress = {done, total};
    });

    try {
        downloader.download();
        EXPECT_EQ(row.first, Outcome::Complete);
    } catch (const DownloaderProxyAuthenticationException& error) {
        EXPECT_EQ(row.first, Outcome::ProxyRefused) << error.what();
        EXPECT_EQ(std::string(error.what()).find("s3cret"), std::string::npos);
    } catch (const DownloaderHttpRequestFailedException& error) {
        EXPECT_EQ(row.first, Outcome::Failed) << error.what();
        EXPECT_EQ(error.httpStatus(), row.status);
    } catch (const DownloaderHttpRequestTimeoutException& error) {
        EXPECT_EQ(row.first, Outcome::TimedOut) << error.what();
    } catch (const DownloaderVerificationException& error) {
        EXPECT_EQ(row.first, Outcome::Mismatch) << error.what();
    }
    if (row.first != Outcome::Complete) {
        EXPECT_FALSE(fs::exists(target));
        EXPECT_EQ(fs::exists(part), row.partKept);
        if (!row.partKept) return;
        downloader.download();  // the fault struck once: a second attempt resumes and completes
    }
    EXPECT_EQ(contentOf(target), archive);
    EXPECT_FALSE(fs::exists(part));
    const auto size = static_cast<std::int64_t>(archive.size());
    EXPECT_EQ(lastProgress, std::make_pair(size, size));
    if (!row.lineSeen.empty()) {
        EXPECT_TRUE(server.sawRequest(row.lineSeen)) << row.lineSeen;
    }
}

// One row a line reads as a table.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Downloads, DownloaderTable, testing::Values(
    Row{.name = "Plain"},
    Row{.name = "ResumesAPartWithARangeRequest", .part = "head", .lineSeen = "range bytes=400- -> 206"},
    Row{.name = "StartsOverWhenTheServerIgnoresRanges", .serverArguments = {"--fault", "ignore-range"},
        .part = "head"},
    Row{.name = "FetchesAgainWhenThePartIsLongerThanTheFile", .part = std::string(5000, 'x'),
        .lineSeen = "range bytes=5000- -> 416"},
    Row{.name = "CutTransferKeepsThePartAndTheRetryResumes", .serverArguments = {"--fault", "cut-after=300"},
        .first = Outcome::Failed, .status = 200, .partKept = true, .lineSeen = "range bytes=300- -> 206"},
    Row{.name = "ServiceUnavailable", .serverArguments = {"--fault", "status=503"}, .first = Outcome::Failed,
        .status = 503},
    Row{.name = "NotFound", .path = "archives/2025.1/MISSING.enc", .first = Outcome::Failed, .status = 404},
    Row{.name = "StalledServerTimesOut", .serverArguments = {"--fault", "stall"}, .first = Outcome::TimedOut},
    Row{.name = "ChecksumMismatchRemovesEverything", .wrongChecksum = true, .first = Outcome::Mismatch},
    Row{.name = "ForeignPartFailsItsCheckAndIsRemoved", .part = std::string(400, 'x'),
        .first = Outcome::Mismatch},
    Row{.name = "ProxyWithRightCredentials", .proxyCredentials = "alice:s3cret",
        .lineSeen = "GET http://127.0.0.1:"},
    Row{.name = "ProxyRefusesWrongCredentials", .proxyCredentials = "alice:wrong",
        .first = Outcome::ProxyRefused},
    Row{.name = "ProxyWantsCredentials", .proxyCredentials = "-", .first = Outcome::ProxyRefused}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(DownloaderCancel, EndsAStalledTransferSoonAndKeepsThePart) {
    workflow_test::ScratchFolder scratch;
    const fs::path part = scratch.writeFile("VELORA.enc.part", std::string(400, 'x'));
    RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY, "--fault", "stall"});
    Downloader downloader(server.url(kArchive), (scratch.path() / "VELORA.enc").u16string());
    std::chrono::steady_clock::time_point cancelled;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancelled = std::chrono::steady_clock::now();
        downloader.cancelDownload();
    });
    EXPECT_THROW(downloader.download(), DownloaderCancelledException);
    const auto ended = std::chrono::steady_clock::now();
    canceller.join();
    // The promise is 100 ms; this bound only catches a cancel that waits for a timeout.
    EXPECT_LT(ended - cancelled, std::chrono::seconds(3));
    EXPECT_EQ(fs::file_size(part), 400u);
    EXPECT_THROW(downloader.download(), DownloaderCancelledException);  // a cancelled downloader stays so
}

// The indexes the build wrote, fetched from the server, against the archives measured here.
TEST(SampleRepositoryIndex, NamesEverySampleProductWithItsArchiveSizeAndChecksum) {
    workflow_test::ScratchFolder scratch;
    RepoServerProcess server(VELORA_REPO_SERVER, {"--root", VELORA_SAMPLE_REPOSITORY});
    for (const std::string platform : {"w64pc", "l64pc", "m64in", "m64ar"}) {
        SCOPED_TRACE(platform);
        const fs::path file = scratch.path() / (platform + ".json");
        Downloader(server.url("index/" VELORA_SAMPLE_RELEASE "/" + platform + ".json"), file.u16string())
            .download();
        const auto index = nlohmann::json::parse(contentOf(file));
        EXPECT_EQ(index.at("platform"), platform);
        std::map<std::string, nlohmann::json> products;
        for (const auto& product : index.at("products")) products[product.at("baseCode")] = product;
        for (const std::string code :
             {"VELORA", "VELORA_COMPILER", "QUARRIX_BUGFINDER", "QUARRIX_TEST", "FLOWMERE"}) {
            SCOPED_TRACE(code);
            ASSERT_EQ(products.count(code), 1u);
            const std::string archive = contentOf(code == "FLOWMERE" ? kPackages / "common" / "FLOWMERE.enc"
                                                                     : kPackages / (code + ".enc"));
            EXPECT_EQ(products[code].at("archive").at("size"), archive.size());
            EXPECT_EQ(products[code].at("archive").at("sha256"), sha256Of(archive));
        }
        EXPECT_EQ(products["QUARRIX_TEST"].at("dependencies"),
                  nlohmann::json({"VELORA", "QUARRIX_BUGFINDER"}));
        const auto& installer = index.at("installers").at(0);
        const std::string zip =
            contentOf(fs::path(VELORA_SAMPLE_REPOSITORY) / installer.at("url").get<std::string>());
        EXPECT_EQ(installer.at("size"), zip.size());
        EXPECT_EQ(installer.at("sha256"), sha256Of(zip));
    }
}

}  // namespace
