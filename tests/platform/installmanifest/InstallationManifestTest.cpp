#include "InstallationManifest.h"

#include <gtest/gtest.h>

#include "ScratchFolder.h"

namespace install::engine {
namespace {

namespace fs = std::filesystem;

InstallationManifest sampleManifest() {
    InstallationManifest manifest;
    manifest.setRelease(u"R2025a", u"Release", 2);
    manifest.addProduct({u"VELORA", u"Velora", u"Velora"});
    manifest.addProduct({u"FLOWMERE", u"Flowmere", u"Velora"});
    return manifest;
}

TEST(InstallationManifestTest, WhatIsWrittenReadsBackInOrder) {
    test::ScratchFolder folder;
    sampleManifest().writeTo(folder.path());

    const auto read = InstallationManifest::readFrom(folder.path());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->getReleaseFamily(), u"R2025a");
    EXPECT_EQ(read->getReleaseStatus(), u"Release");
    EXPECT_EQ(read->getUpdateLevel(), 2);
    ASSERT_EQ(read->getProducts().size(), 2u);
    EXPECT_EQ(read->getProducts()[0].baseCode, u"VELORA");
    EXPECT_EQ(read->getProducts()[1].name, u"Flowmere");
    EXPECT_EQ(read->getProducts()[1].productFamily, u"Velora");
    // The record is replaced as a whole; nothing written aside stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}), 1);
}

TEST(InstallationManifestTest, AddingAKnownProductReplacesItAndRemovingForgetsIt) {
    InstallationManifest manifest = sampleManifest();
    manifest.addProduct({u"VELORA", u"Velora 2", u"Velora"});
    ASSERT_EQ(manifest.getProducts().size(), 2u);
    EXPECT_EQ(manifest.getProducts()[0].name, u"Velora 2");
    EXPECT_TRUE(manifest.removeProduct(u"VELORA"));
    EXPECT_FALSE(manifest.removeProduct(u"VELORA"));
    ASSERT_EQ(manifest.getProducts().size(), 1u);
}

TEST(InstallationManifestTest, AFolderWithoutRecordHoldsNoInstallation) {
    test::ScratchFolder folder;
    EXPECT_FALSE(InstallationManifest::readFrom(folder.path()).has_value());
    EXPECT_FALSE(InstallationManifest::readFrom(folder.path() / "missing").has_value());
}

class CorruptManifestTest : public testing::TestWithParam<const char*> {};

TEST_P(CorruptManifestTest, IsReportedNotIgnored) {
    test::ScratchFolder folder;
    folder.writeFile(InstallationManifest::kFileName, GetParam());
    EXPECT_THROW(InstallationManifest::readFrom(folder.path()), InstallationManifestException);
}

INSTANTIATE_TEST_SUITE_P(
    Records, CorruptManifestTest,
    testing::Values(
        "", "{ truncated",
        R"({"formatVersion": 2, "releaseFamily": "R2025a", "releaseStatus": "Release", "updateLevel": 0, "products": []})",
        R"({"formatVersion": 1, "releaseFamily": "R2025a", "releaseStatus": "Release", "updateLevel": 0})",
        R"({"formatVersion": 1, "releaseFamily": 5, "releaseStatus": "Release", "updateLevel": 0, "products": []})",
        R"({"formatVersion": 1, "releaseFamily": "R2025a", "releaseStatus": "Release", "updateLevel": 0,
            "products": [{"baseCode": "VELORA", "name": "Velora", "family": "Velora"},
                         {"baseCode": "VELORA", "name": "Velora", "family": "Velora"}]})",
        R"({"formatVersion": 1, "releaseFamily": "R2025a", "releaseStatus": "Release", "updateLevel": 0,
            "products": [{"baseCode": "", "name": "Velora", "family": "Velora"}]})"));

}  // namespace
}  // namespace install::engine
