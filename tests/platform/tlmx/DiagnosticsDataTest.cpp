#include "install/tlmx/DiagnosticsData.h"

#include <gtest/gtest.h>

namespace install::tlmx {
namespace {

TEST(DiagnosticsData, LaterValueOfTheSameKeyReplacesTheEarlierOne) {
    DiagnosticsData data;
    data.add(SessionDataKey{26}, false);
    data.add(SessionDataKey{26}, true);
    ASSERT_EQ(data.getData().size(), 1u);
    EXPECT_EQ(data.getData().at(SessionDataKey{26}), true);
}

TEST(DiagnosticsData, SameNumberInDifferentKeySpacesAreDifferentKeys) {
    DiagnosticsData data;
    data.add(SessionDataKey{1}, "session");
    data.add(ErrorDataKey::ErrorCode, "error");
    data.add(ProductDataKey::BaseCode, "product");
    data.add(GpuDataKey{1}, "gpu");
    EXPECT_EQ(data.getData().size(), 4u);
    EXPECT_EQ(
        data.toJson(),
        (foundation::json::Value{
            {"session.1", "session"}, {"error.1", "error"}, {"product.1", "product"}, {"gpu.1", "gpu"}}));
}

TEST(DiagnosticsData, CopiesAreIndependent) {
    DiagnosticsData data;
    data.add(SessionDataKey{60}, "2026-01-01 10:00:00");
    auto copy = data;
    copy.add(SessionDataKey{59}, "2026-01-01 10:05:00");
    data.clear();
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(copy.getData().size(), 2u);
}

TEST(DiagnosticsData, AnyNumberIsASessionKey) {
    DiagnosticsData data;
    for (int number : {7, 8, 11, 45, 46, 59, 62, 76, 77, 4711}) data.add(SessionDataKey{number}, number);
    EXPECT_EQ(data.getData().size(), 10u);
    EXPECT_EQ(data.getData().begin()->second, 7);
    EXPECT_EQ(data.getData().rbegin()->second, 4711);
}

struct KeyNameCase {
    DiagnosticsKey key;
    const char* expected;
};

class KeyNames : public ::testing::TestWithParam<KeyNameCase> {};

TEST_P(KeyNames, NameKindAndNumber) { EXPECT_EQ(keyName(GetParam().key), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(All, KeyNames,
                         ::testing::Values(KeyNameCase{ErrorDataKey::Location, "error.4"},
                                           KeyNameCase{ProductDataKey::Downloadable, "product.5"},
                                           KeyNameCase{SessionDataKey{76}, "session.76"},
                                           KeyNameCase{GpuDataKey{0}, "gpu.0"}));

}  // namespace
}  // namespace install::tlmx
