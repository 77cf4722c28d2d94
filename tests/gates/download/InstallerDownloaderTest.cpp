// The installers of the chosen platforms: which are fetched, in what order, which are unpacked
// on which machine, the credentials handed on, and the failure table.
#include "gates/download/InstallerDownloader.h"

#include <functional>
#include <set>

#include "DownloadTesting.h"
#include "install/cpputil/InstallerException.h"
#include "install/downloader/DownloaderExceptions.h"
#include "workflow_core/PathJoin.h"

namespace download_test {
namespace {

using install::product_installer::workflow_utils::InstallerDownloader;
using install::product_installer::workflow_utils::joinPath;
using testing::ElementsAreArray;
using Names = std::vector<std::string>;
using download_test::PrintTo;

struct Calls {
    Names downloads, proxies, extracts;
    std::set<std::string> present;
    std::function<void()> failDownload, failExtract;
};

class FakeDownloader : public install::downloader::Downloader {
public:
    FakeDownloader(const std::string& address, const std::u16string& target, Calls& calls)
        : Downloader(address, target), address_(address), calls_(calls) {}
    void setProxySettings(const std::string& user, const std::string& password) override {
        calls_.proxies.push_back(user + ":" + password);
    }
    void download() override {
        calls_.downloads.push_back(address_);
        if (calls_.failDownload) calls_.failDownload();
        calls_.present.insert(address_);
    }

private:
    std::string address_;
    Calls& calls_;
};

class RecordingDownloader : public InstallerDownloader {
public:
    RecordingDownloader(
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        const std::map<std::string, std::string>& windows, const std::map<std::string, std::string>& others,
        Calls& calls)
        : InstallerDownloader(handler, windows, others, u"/runs/T"), calls_(calls) {}

protected:
    std::unique_ptr<install::downloader::Downloader> getDownloader(
        const std::string& address, const std::u16string& target) const override {
        return std::make_unique<FakeDownloader>(address, target, calls_);
    }
    void extract(const std::string& archive, const std::string&) const override {
        calls_.extracts.push_back(std::filesystem::path(archive).filename().string());
        if (calls_.failExtract) calls_.failExtract();
    }
    bool file_exists(const std::u16string& path) const override {
        return calls_.present.count(std::filesystem::path(fl::i18n::to_string(path)).filename().string()) > 0;
    }

private:
    Calls& calls_;
};

struct Row {
    std::string name;
    std::u16string host;
    std::map<std::string, std::string> windows;
    std::map<std::string, std::string> others;
    std::set<std::string> present;
    std::u16string user, password;
    Names downloads, extracts, proxies;
    bool instruction = false;
};

class InstallerDownloaderTest : public DownloadFixture, public testing::WithParamInterface<Row> {};

TEST_P(InstallerDownloaderTest, FetchesWhatIsMissingAndUnpacksWhatRunsHere) {
    const Row& row = GetParam();
    handler->setPlatform(row.host);
    Calls calls{{}, {}, {}, row.present, {}, {}};
    RecordingDownloader(handler, row.windows, row.others, calls)
        .downloadAndExtractInstallers(row.user, row.password);

    EXPECT_THAT(calls.downloads, ElementsAreArray(row.downloads));
    EXPECT_THAT(calls.extracts, ElementsAreArray(row.extracts));
    EXPECT_THAT(calls.proxies, ElementsAreArray(row.proxies));
    EXPECT_EQ(dependent().getDownloadFolder().getExtractionInstruction(),
              row.instruction ? fl::i18n::message("installerExtractionInstruction", u"2031.1", u"w64pc")
                              : std::u16string());
    for (const std::string& name : row.present) {
        EXPECT_THAT(joined(log.lines()),
                    testing::Not(testing::HasSubstr(
                        "download installer:  " +
                        fl::i18n::to_string(joinPath(u"/runs/T", fl::i18n::to_u16string(name))))));
    }
}

const std::map<std::string, std::string> kWindows{{"w.zip", "w.zip"}};
const std::map<std::string, std::string> kOthers{{"m.zip", "m.zip"}, {"l.zip", "l.zip"}};

INSTANTIATE_TEST_SUITE_P(Installers, InstallerDownloaderTest,
                         testing::Values(Row{"OthersOnAWindowsHostStayPackedWithAnInstruction",
                                             u"w64pc",
                                             {},
                                             kOthers,
                                             {},
                                             u"",
                                             u"",
                                             {"l.zip", "m.zip"},
                                             {},
                                             {},
                                             true},
                                         Row{"OnThisHostTheOthersThenWindowsAreUnpacked",
                                             u"l64pc",
                                             kWindows,
                                             kOthers,
                                             {},
                                             u"jdoe",
                                             u"p4ss",
                                             {"w.zip", "l.zip", "m.zip"},
                                             {"l.zip", "m.zip", "w.zip"},
                                             {"jdoe:p4ss", "jdoe:p4ss", "jdoe:p4ss"}},
                                         Row{"OneAlreadyThereIsUnpackedNotFetched",
                                             u"l64pc",
                                             {},
                                             kOthers,
                                             {"l.zip"},
                                             u"jdoe",
                                             u"",
                                             {"m.zip"},
                                             {"l.zip", "m.zip"},
                                             {}}),
                         rowName);

struct Failure {
    std::string name;
    std::function<void()> failDownload, failExtract;
    std::string logLine, code, location;
};

class InstallerDownloaderFailureTest : public DownloadFixture, public testing::WithParamInterface<Failure> {};

TEST_P(InstallerDownloaderFailureTest, IsLoggedAndThrownAsOneInstallerException) {
    handler->setPlatform(u"l64pc");
    Calls calls{{}, {}, {}, {}, GetParam().failDownload, GetParam().failExtract};
    try {
        RecordingDownloader(handler, kWindows, kOthers, calls).downloadAndExtractInstallers(u"", u"");
        FAIL() << "no exception";
    } catch (const install::cpputil::InstallerException& error) {
        EXPECT_EQ(error.getErrorCode(), GetParam().code);
        EXPECT_EQ(error.getSecondaryErrorMessage(), GetParam().logLine);
        EXPECT_EQ(error.getLocation(), GetParam().location);
    }
    EXPECT_THAT(joined(log.lines()), testing::HasSubstr(GetParam().logLine));
    EXPECT_EQ(calls.downloads.size() + calls.extracts.size(), GetParam().failDownload ? 1u : 4u)
        << "the first failure ends the work";
}

INSTANTIATE_TEST_SUITE_P(
    Installers, InstallerDownloaderFailureTest,
    testing::Values(Failure{"Timeout",
                            [] { throw install::downloader::DownloaderHttpRequestTimeoutException("slow"); },
                            {},
                            "Failed to download due to timeout exception: slow",
                            "20",
                            "DownloadProgress::InstallerDownloader::DownloadInstaller"},
                    Failure{
                        "HttpFailure",
                        [] { throw install::downloader::DownloaderHttpRequestFailedException("503", 503); },
                        {},
                        "Failed to download due to http request exception: 503",
                        "20",
                        "DownloadProgress::InstallerDownloader::DownloadInstaller"},
                    Failure{"ExtractArgument",
                            {},
                            [] { throw std::invalid_argument("odd"); },
                            "Failed to extract due to invalid argument: odd",
                            "30",
                            "DownloadProgress::InstallerDownloader::ExtractInstaller"},
                    Failure{"ExtractRuntime",
                            {},
                            [] { throw std::runtime_error("bad"); },
                            "Failed to extract: bad",
                            "30",
                            "DownloadProgress::InstallerDownloader::ExtractInstaller"}),
    rowName);

}  // namespace
}  // namespace download_test
