#include "install/cpputil/InstallerException.h"

#include <gtest/gtest.h>

#include <string>

namespace install::cpputil {
namespace {

TEST(InstallerException, KeepsItsFourTextsAndIsAStandardException) {
    try {
        throw InstallerException("199", "unknown error", "disk on fire", "Progress");
    } catch (const std::exception& caught) {
        const auto* error = dynamic_cast<const InstallerException*>(&caught);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->getErrorCode(), "199");
        EXPECT_EQ(error->getPrimaryErrorMessage(), "unknown error");
        EXPECT_EQ(error->getSecondaryErrorMessage(), "disk on fire");
        EXPECT_EQ(error->getLocation(), "Progress");
        EXPECT_STREQ(caught.what(), "Progress: 199: unknown error (disk on fire)");
    }
}

struct WhatCase {
    const char* name;
    const char* code;
    const char* primary;
    const char* secondary;
    const char* location;
    const char* expected;
};

class InstallerExceptionWhat : public ::testing::TestWithParam<WhatCase> {};

TEST_P(InstallerExceptionWhat, LeavesOutEmptyParts) {
    const auto& c = GetParam();
    EXPECT_STREQ(InstallerException(c.code, c.primary, c.secondary, c.location).what(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, InstallerExceptionWhat,
    ::testing::Values(WhatCase{"NoLocation", "680", "Unknown", "boom", "", "680: Unknown (boom)"},
                      WhatCase{"NoSecondary", "1560", "Unable", "", "A::B", "A::B: 1560: Unable"},
                      WhatCase{"OnlySecondary", "", "", "boom", "", "boom"},
                      WhatCase{"Nothing", "", "", "", "", "installer error"}),
    [](const auto& info) { return info.param.name; });

TEST(InstallerException, CopiesCarryTheSameTexts) {
    const InstallerException original("700", "overwrite", "", "FolderSelection::X");
    const InstallerException copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(copy.getLocation(), "FolderSelection::X");
    EXPECT_STREQ(copy.what(), original.what());
}

struct LocationCase {
    const char* prefix;
    const char* location;
    const char* expected;
};

class CreateLocation : public ::testing::TestWithParam<LocationCase> {};

TEST_P(CreateLocation, JoinsWithDoubleColonAndDropsEmptyParts) {
    EXPECT_EQ(createLocation(GetParam().prefix, GetParam().location), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pairs, CreateLocation,
                         ::testing::Values(LocationCase{"FolderSelection", "RepoAdapter::Download",
                                                        "FolderSelection::RepoAdapter::Download"},
                                           LocationCase{"Progress", "", "Progress"},
                                           LocationCase{"", "Engine::Start", "Engine::Start"},
                                           LocationCase{"", "", ""},
                                           LocationCase{"DownloadProgress", "DownloadProgress",
                                                        "DownloadProgress::DownloadProgress"}));

}  // namespace
}  // namespace install::cpputil
