#include "foundation/release_info/ReleaseInfo.h"

#include <gtest/gtest.h>

#include <sstream>

namespace foundation::release_info {
namespace {

ReleaseInfo parse(const std::string& text) {
    std::istringstream stream(text);
    return ReleaseInfo(stream);
}

TEST(ReleaseInfoTest, ReadsEveryField) {
    const ReleaseInfo info = parse(R"(<?xml version="1.0" encoding="UTF-8"?>
<VersionInfo>
    <Release>R2025a</Release>
    <ReleaseStatus>Prerelease</ReleaseStatus>
    <UpdateLevel> 3
    </UpdateLevel>
    <Version>25.1.0.2041</Version>
</VersionInfo>)");
    EXPECT_EQ(info.getReleaseFamily(), u"R2025a");
    EXPECT_EQ(info.getReleaseStatus(), u"Prerelease");
    EXPECT_EQ(info.getUpdateLevel(), 3);
    EXPECT_EQ(info.getVersion(), u"25.1.0.2041");
}

TEST(ReleaseInfoTest, AReleaseWithoutUpdatesHasLevelZero) {
    const ReleaseInfo info = parse("<VersionInfo><Release>R2025a</Release></VersionInfo>");
    EXPECT_EQ(info.getUpdateLevel(), 0);
    EXPECT_EQ(info.getReleaseStatus(), u"");
}

TEST(ReleaseInfoTest, WhatIsWrittenReadsBackTheSame) {
    const ReleaseInfo original(u"R2025b", u"Release", 7, u"25.2.0.11");
    std::stringstream stream;
    original.write(stream);
    const ReleaseInfo copy(stream);
    EXPECT_EQ(copy.getReleaseFamily(), u"R2025b");
    EXPECT_EQ(copy.getReleaseStatus(), u"Release");
    EXPECT_EQ(copy.getUpdateLevel(), 7);
    EXPECT_EQ(copy.getVersion(), u"25.2.0.11");
}

class MalformedReleaseInfoTest : public testing::TestWithParam<const char*> {};

TEST_P(MalformedReleaseInfoTest, IsRefusedWithAStandardException) {
    std::istringstream stream(GetParam());
    try {
        ReleaseInfo info(stream);
        FAIL() << "accepted: " << GetParam();
    } catch (const std::exception& error) {
        EXPECT_NE(dynamic_cast<const ReleaseInfoException*>(&error), nullptr);
        EXPECT_STRNE(error.what(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, MalformedReleaseInfoTest,
    testing::Values("", "not xml at all", "<VersionInfo><Release>R2025a</VersionInfo>",
                    "<OtherRoot><UpdateLevel>1</UpdateLevel></OtherRoot>",
                    "<VersionInfo><UpdateLevel>two</UpdateLevel></VersionInfo>",
                    "<VersionInfo><UpdateLevel>-1</UpdateLevel></VersionInfo>",
                    "<VersionInfo><UpdateLevel>3a</UpdateLevel></VersionInfo>",
                    "<VersionInfo><UpdateLevel></UpdateLevel></VersionInfo>",
                    "<VersionInfo><UpdateLevel>99999999999</UpdateLevel></VersionInfo>"));

}  // namespace
}  // namespace foundation::release_info
