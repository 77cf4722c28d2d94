#include <gtest/gtest.h>

#include <csignal>

#include "install/cpputil/InstallerLocale.h"
#include "install/cpputil/Interrupt.h"

namespace install::cpputil {
namespace {

class InterruptFlag : public ::testing::Test {
protected:
    void SetUp() override { interrupt::reset(); }
    void TearDown() override { interrupt::reset(); }
};

TEST_F(InterruptFlag, StartsClearAndFollowsSetAndReset) {
    EXPECT_FALSE(interrupt::is_set());
    interrupt::set();
    interrupt::set();
    EXPECT_TRUE(interrupt::is_set());
    interrupt::reset();
    EXPECT_FALSE(interrupt::is_set());
}

extern "C" void raiseInterrupt(int) { interrupt::set(); }

TEST_F(InterruptFlag, CanBeRaisedFromASignalHandler) {
    auto* previous = std::signal(SIGINT, raiseInterrupt);
    ASSERT_NE(previous, SIG_ERR);
    std::raise(SIGINT);
    std::signal(SIGINT, previous);
    EXPECT_TRUE(interrupt::is_set());
}

TEST(InstallerLocale, DefaultsToUsEnglishAndKeepsWhatIsSet) {
    const auto original = installer_locale::getLocale();
    EXPECT_EQ(original, u"en_US");
    installer_locale::setLocale(u"de_DE");
    EXPECT_EQ(installer_locale::getLocale(), u"de_DE");
    installer_locale::setLocale(original);
}

}  // namespace
}  // namespace install::cpputil
