// Properties the model keeps as signed bytes while the handler speaks int: the low 8 bits are
// stored and read back sign-extended.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "support/ModelFixture.h"

namespace {

using install::product_installer::workflow_utils::DataModelHandler;
using workflow_test::ModelFixture;

struct ByteCase {
    int written;
    int readBack;
};

class ExitStatusTest : public ModelFixture, public testing::WithParamInterface<ByteCase> {};

TEST_P(ExitStatusTest, KeepsTheLowEightBitsAsASignedByte) {
    handler->setExitStatus(GetParam().written);
    EXPECT_EQ(independent().getExitStatus(), static_cast<std::int8_t>(GetParam().readBack));
    EXPECT_EQ(handler->getExitStatus(), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(Truncation, ExitStatusTest,
                         testing::Values(ByteCase{0, 0}, ByteCase{44, 44}, ByteCase{300, 44},
                                         ByteCase{-1, -1}, ByteCase{127, 127}, ByteCase{128, -128},
                                         ByteCase{255, -1}, ByteCase{256, 0}, ByteCase{-129, 127},
                                         ByteCase{0x7FFFFF80, -128}));

// Each signed-byte property the handler writes, with the model property to read it back from.
struct BytePropertyCase {
    const char* label;
    std::function<void(const DataModelHandler&)> prepare;
    std::function<void(DataModelHandler&, int)> write;
    std::function<int(const DataModelHandler&)> readThroughHandler;
};

class SignedBytePropertyTest : public ModelFixture,
                               public testing::WithParamInterface<std::tuple<BytePropertyCase, ByteCase>> {
protected:
    const BytePropertyCase& property() const { return std::get<0>(GetParam()); }
    const ByteCase& value() const { return std::get<1>(GetParam()); }
};

TEST_P(SignedBytePropertyTest, StoresLowByteAndReadsBackSignExtended) {
    property().prepare(*handler);
    property().write(*handler, value().written);
    EXPECT_EQ(property().readThroughHandler(*handler), value().readBack);
}

const BytePropertyCase kByteProperties[] = {
    {"ToBeInstalledUpdateLevel", [](const auto&) {},
     [](auto& handler, int level) { handler.setToBeInstalledUpdateLevel(level); },
     [](const auto& handler) { return handler.getToBeInstalledUpdateLevel(); }},
    {"InstalledProductsReleaseUpdateLevel",
     [](const auto& handler) { handler.initializeInstallFolderModel(); },
     [](auto& handler, int level) { handler.setInstalledProductsReleaseUpdateLevel(level); },
     [](const auto& handler) { return handler.getInstalledProductsReleaseUpdateLevel(); }},
};

INSTANTIATE_TEST_SUITE_P(Levels, SignedBytePropertyTest,
                         testing::Combine(testing::ValuesIn(kByteProperties),
                                          testing::Values(ByteCase{-2, -2}, ByteCase{5, 5}, ByteCase{258, 2},
                                                          ByteCase{200, -56})),
                         [](const auto& info) {
                             const int written = std::get<1>(info.param).written;
                             return std::string(std::get<0>(info.param).label) + "_" +
                                    (written < 0 ? "minus" : "") +
                                    std::to_string(written < 0 ? -written : written);
                         });

class ByteFixture : public ModelFixture {};

TEST_F(ByteFixture, LoginLevel258StoresTwo) {
    handler->initializeLoginModelForRequestParameters();
    handler->setLoginLevel(258);
    EXPECT_EQ(independent().getLoginRequestParameters().getLoginLevel(), 2);
    handler->setLoginLevel(-3);
    EXPECT_EQ(independent().getLoginRequestParameters().getLoginLevel(), -3);
}

TEST_F(ByteFixture, ReleaseUpdateLevelReadsSignExtended) {
    independent().getRelease().setUpdateLevel(static_cast<std::int8_t>(-5));
    EXPECT_EQ(handler->getUpdateLevel(), -5);
}

TEST_F(ByteFixture, InstalledReleaseIsANewReleaseWithDefaultFamilyAndStatus) {
    handler->initializeInstallFolderModel();
    handler->setInstalledProductsReleaseUpdateLevel(3);
    const auto first = dependent().getInstallFolder().getInstalledProductsRelease();
    first.setFamily(u"R2031");

    handler->setInstalledProductsReleaseUpdateLevel(4);
    const auto second = dependent().getInstallFolder().getInstalledProductsRelease();
    EXPECT_FALSE(second == first);
    EXPECT_TRUE(second.getFamily().empty());
    EXPECT_TRUE(second.getStatus().empty());
    EXPECT_EQ(second.getUpdateLevel(), 4);
    EXPECT_EQ(first.getUpdateLevel(), 3);
}

}  // namespace
