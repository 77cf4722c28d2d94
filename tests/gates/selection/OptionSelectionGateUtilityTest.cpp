// The table of options per product and platform, and the option types a selection gets from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gates/selection/OptionSelectionGateUtility.h"

namespace {

using install::datamodels::product_installer::OptionType;
using install::product_installer::workflow_utils::OptionSelectionGateUtility;
using install::tlmxclient::TLMXSettingsClientResponse;
using Platform = OptionSelectionGateUtility::Platform;
using OptionTypes = OptionSelectionGateUtility::OptionTypes;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;
using testing::UnorderedElementsAre;

constexpr Platform kPlatform0 = static_cast<Platform>(0);
constexpr Platform kPlatform1 = static_cast<Platform>(1);
constexpr Platform kPlatform2 = static_cast<Platform>(2);

constexpr auto kDesktop = OptionType::DesktopShortcut;
constexpr auto kSymbolicLink = OptionType::SymbolicLink;
constexpr auto kUsageData = OptionType::ImproveVelora;
constexpr auto kStartMenu = OptionType::StartMenuShortcut;
constexpr auto kService = OptionType::ConfigureLMAsService;

class InspectableUtility : public OptionSelectionGateUtility {
public:
    using OptionSelectionGateUtility::getProductToPlatformToOptionTypesMap;
};

TEST(OptionSelectionGateUtilityTest, TheTableHoldsExactlyTheseRows) {
    const InspectableUtility utility;
    const auto& table = utility.getProductToPlatformToOptionTypesMap();

    EXPECT_THAT(
        table,
        UnorderedElementsAre(
            Pair(u"VELORA", ElementsAre(Pair(kPlatform0, ElementsAre(kDesktop, kUsageData, kStartMenu)),
                                        Pair(kPlatform1, ElementsAre(kSymbolicLink, kUsageData)),
                                        Pair(kPlatform2, ElementsAre(kUsageData)))),
            Pair(u"VELORA_COMPILER", ElementsAre(Pair(kPlatform1, ElementsAre(kSymbolicLink)))),
            Pair(u"QUARRIX_BUGFINDER", ElementsAre(Pair(kPlatform0, ElementsAre(kDesktop, kStartMenu)))),
            Pair(u"QUARRIX_TEST", ElementsAre(Pair(kPlatform0, ElementsAre(kDesktop, kStartMenu)))),
            Pair(u"LICENSEMANAGER", ElementsAre(Pair(kPlatform0, ElementsAre(kService))))));
}

struct OptionTypesCase {
    const char* label;
    std::vector<std::u16string> products;
    Platform platform;
    bool usageDataShown;
    OptionTypes expected;
};

class OptionTypesTest : public testing::TestWithParam<OptionTypesCase> {};

TEST_P(OptionTypesTest, TheSelectionsOptionsAreUnitedAndFiltered) {
    const auto& c = GetParam();
    const TLMXSettingsClientResponse response(c.usageDataShown, true, false);
    EXPECT_EQ(OptionSelectionGateUtility().getOptionTypes(c.products, c.platform, response), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, OptionTypesTest,
    testing::Values(
        OptionTypesCase{"MainProduct", {u"VELORA"}, kPlatform0, true, {kDesktop, kUsageData, kStartMenu}},
        OptionTypesCase{"MainProductUsageDataHidden", {u"VELORA"}, kPlatform0, false, {kDesktop, kStartMenu}},
        OptionTypesCase{"MainProductPlatform1", {u"VELORA"}, kPlatform1, true, {kSymbolicLink, kUsageData}},
        OptionTypesCase{"MainProductPlatform2Hidden", {u"VELORA"}, kPlatform2, false, {}},
        OptionTypesCase{"CompilerOnPlatform0", {u"VELORA_COMPILER"}, kPlatform0, true, {}},
        OptionTypesCase{"CompilerOnPlatform1", {u"VELORA_COMPILER"}, kPlatform1, true, {kSymbolicLink}},
        OptionTypesCase{"BugFinder", {u"QUARRIX_BUGFINDER"}, kPlatform0, true, {kDesktop, kStartMenu}},
        OptionTypesCase{"TestAndLicenseManager",
                        {u"QUARRIX_TEST", u"LICENSEMANAGER"},
                        kPlatform0,
                        true,
                        {kDesktop, kStartMenu, kService}},
        OptionTypesCase{"UnknownAndLowerCaseCodes", {u"NOPE", u"velora"}, kPlatform0, true, {}},
        OptionTypesCase{"NothingSelected", {}, kPlatform0, true, {}},
        OptionTypesCase{"UnknownPlatform", {u"VELORA"}, static_cast<Platform>(7), true, {}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
