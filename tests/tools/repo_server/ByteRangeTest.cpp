#include <gtest/gtest.h>

#include "ByteRange.h"

namespace {

using velora::tools::ByteRange;
using Kind = ByteRange::Kind;

struct RangeCase {
    std::string name;
    std::string header;
    ByteRange expected;
};

void PrintTo(const RangeCase& range, std::ostream* out) { *out << range.name; }

class ByteRangeOfAThousandBytes : public testing::TestWithParam<RangeCase> {};

TEST_P(ByteRangeOfAThousandBytes, IsAnsweredAsHttpAsks) {
    const ByteRange range = ByteRange::resolve(GetParam().header, 1000);
    EXPECT_EQ(range.kind, GetParam().expected.kind);
    EXPECT_EQ(range.first, GetParam().expected.first);
    EXPECT_EQ(range.last, GetParam().expected.last);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ByteRangeOfAThousandBytes,
    testing::Values(RangeCase{"NoHeader", "", {Kind::Whole}},
                    RangeCase{"FromAnOffset", "bytes=400-", {Kind::Part, 400, 999}},
                    RangeCase{"Closed", "bytes=10-19", {Kind::Part, 10, 19}},
                    RangeCase{"EndCutToTheFile", "bytes=990-5000", {Kind::Part, 990, 999}},
                    RangeCase{"Suffix", "bytes=-10", {Kind::Part, 990, 999}},
                    RangeCase{"SuffixLongerThanTheFile", "bytes=-5000", {Kind::Part, 0, 999}},
                    RangeCase{"StartAtTheEnd", "bytes=1000-", {Kind::Unsatisfiable}},
                    RangeCase{"EndBeforeStart", "bytes=20-10", {Kind::Unsatisfiable}},
                    RangeCase{"EmptySuffix", "bytes=-0", {Kind::Unsatisfiable}},
                    RangeCase{"Unreadable", "bytes=ten-", {Kind::Unsatisfiable}},
                    RangeCase{"SeveralRangesIgnored", "bytes=0-1,5-6", {Kind::Whole}},
                    RangeCase{"OtherUnitIgnored", "items=0-1", {Kind::Whole}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
