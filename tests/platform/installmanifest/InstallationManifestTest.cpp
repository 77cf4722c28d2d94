// The installation record: what it keeps of every product, the list for the uninstaller, and the
// records it refuses.
#include "InstallationManifest.h"

#include <gmock/gmock.h>

#include "support/ScratchFolder.h"

namespace install::engine {
namespace {

TEST(InstallationManifestTest, KeepsEveryProductsFilesLinksAndFoldersAndListsThemForTheUninstaller) {
    workflow_test::ScratchFolder folder;
    InstallationManifest manifest;
    manifest.setRelease(u"2025.1", u"Release", 2);
    manifest.setCreatedFolder(true);
    manifest.addProduct(
        {u"VELORA", u"Velora", u"Velora", {{"bin/velora", 4, "5694"}}, {{"bin/vl", "velora"}}, {"bin"}});
    manifest.addProduct(
        {u"FLOWMERE", u"Flowmere", u"Velora", {{"share/a b\n\\é", 0, "e3b0"}}, {}, {"share", "share/x"}});
    manifest.addProduct(
        {u"VELORA", u"Velora 2", u"Velora", {{"bin/velora", 4, "5694"}}, {{"bin/vl", "velora"}}, {"bin"}});
    manifest.addRegistration(
        {InstalledRegistration::Kind::MenuEntry, "/m/v.desktop", "/o/bin/velora", "53c6"});
    manifest.addRegistration({InstalledRegistration::Kind::CommandLink, "/l/vl", "/o/bin/velora", ""});
    manifest.addRegistration({InstalledRegistration::Kind::CommandLink, "/l/vl", "/o/bin/vl", ""});
    manifest.setInstaller("/media/an installer");
    manifest.writeTo(folder.path());

    const auto read = InstallationManifest::readFrom(folder.path());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toJson(), manifest.toJson());
    EXPECT_EQ(read->getProducts()[0].name, u"Velora 2") << "replaced in place";
    EXPECT_EQ(read->getProducts()[1].files[0].path, "share/a b\n\\é");
    ASSERT_EQ(read->getRegistrations().size(), 2u) << "replaced by path";
    EXPECT_EQ(read->getRegistrations()[1].target, "/o/bin/vl");
    EXPECT_EQ(
        workflow_test::readText(folder.path() / InstallationManifest::kFileListName),
        "f bin/velora\nf share/a\\0040b\\0012\\0134\\0303\\0251\nl bin/vl\nd share/x\nd bin\nd share\nd .\n"
        "i /media/an\\0040installer\n");
    // Both are replaced as a whole; nothing written aside stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    EXPECT_TRUE(manifest.removeProduct(u"VELORA"));
    EXPECT_FALSE(manifest.removeProduct(u"VELORA"));
}

std::string record(int format, const std::string& products) {
    return R"({"formatVersion": )" + std::to_string(format) +
           R"(, "releaseFamily": "R", "releaseStatus": "R", "updateLevel": 0, "products": [)" + products +
           "]}";
}

TEST(InstallationManifestTest, ReadsRecordsWithoutFilesAndNothingWhereThereIsNone) {
    workflow_test::ScratchFolder folder;
    EXPECT_FALSE(InstallationManifest::readFrom(folder.path()).has_value());
    EXPECT_FALSE(InstallationManifest::readFrom(folder.path() / "missing").has_value());
    folder.writeFile(InstallationManifest::kFileName,
                     record(1, R"({"baseCode": "V", "name": "V", "family": "V"})"));
    const auto read = InstallationManifest::readFrom(folder.path());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->getProducts().at(0).baseCode, u"V");
}

class CorruptManifestTest : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(CorruptManifestTest, IsReportedNotIgnored) {
    workflow_test::ScratchFolder folder;
    folder.writeFile(InstallationManifest::kFileName, GetParam().second);
    EXPECT_THROW(InstallationManifest::readFrom(folder.path()), InstallationManifestException);
}

INSTANTIATE_TEST_SUITE_P(
    Records, CorruptManifestTest,
    testing::Values(
        std::pair{"Truncated", std::string("{ truncated")}, std::pair{"UnknownFormat", record(3, "")},
        std::pair{"ProductTwice", record(2, R"({"baseCode": "V", "name": "V", "family": "V"},
                                                          {"baseCode": "V", "name": "W", "family": "V"})")},
        std::pair{"UnknownRegistrationKind",
                  R"({"formatVersion": 2, "releaseFamily": "R", "releaseStatus": "R", "updateLevel": 0,
                                  "products": [], "registrations": [{"kind": "x", "path": "/a", "target": "/b"}]})"},
        std::pair{"EmptyBaseCode", record(2, R"({"baseCode": "", "name": "V", "family": "V"})")},
        std::pair{"FileWithoutChecksum", record(2, R"({"baseCode": "V", "name": "V", "family": "V",
                                                                   "files": [{"path": "a", "size": 1}]})")},
        std::pair{"FormatVersionBeyondAnyInteger",
                  std::string(R"({"formatVersion": 2.66667e90, "releaseFamily": "R", "releaseStatus": "R",
                                  "updateLevel": 0, "products": []})")},
        std::pair{"FractionalUpdateLevel",
                  std::string(R"({"formatVersion": 2, "releaseFamily": "R", "releaseStatus": "R",
                                  "updateLevel": 2.5, "products": []})")},
        std::pair{"NegativeFileSize", record(2, R"({"baseCode": "V", "name": "V", "family": "V",
                                                 "files": [{"path": "a", "size": -1, "sha256": "00"}]})")}),
    [](const auto& info) { return info.param.first; });

}  // namespace
}  // namespace install::engine
