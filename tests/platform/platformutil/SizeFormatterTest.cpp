#include "install/platformutil/SizeFormatter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace install::platformutil {
namespace {

struct SizeCase {
    std::uint64_t bytes;
    const char* text;
};

class SizeFormatterTest : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeFormatterTest, FormatsWithBinaryUnitsAndOneDecimal) {
    EXPECT_EQ(SizeFormatter::format(GetParam().bytes), GetParam().text);
}

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = KiB * 1024;
constexpr std::uint64_t GiB = MiB * 1024;

INSTANTIATE_TEST_SUITE_P(Sizes, SizeFormatterTest,
                         testing::Values(SizeCase{0, "0 B"}, SizeCase{1023, "1023 B"},
                                         SizeCase{KiB, "1.0 KiB"}, SizeCase{KiB + KiB / 2, "1.5 KiB"},
                                         SizeCase{KiB + 50, "1.0 KiB"}, SizeCase{KiB + 52, "1.1 KiB"},
                                         // Rounding to one decimal must not show 1024.0 of a unit.
                                         SizeCase{MiB - 1, "1.0 MiB"}, SizeCase{GiB - MiB / 100, "1.0 GiB"},
                                         SizeCase{GiB + GiB / 2, "1.5 GiB"},
                                         SizeCase{10 * GiB + 3 * GiB / 10, "10.3 GiB"},
                                         SizeCase{std::numeric_limits<std::uint64_t>::max(), "16.0 EiB"}));

}  // namespace
}  // namespace install::platformutil
