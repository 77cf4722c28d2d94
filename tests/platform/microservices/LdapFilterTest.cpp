#include "microservices/LdapFilter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace microservices {
namespace {

const ServiceProperties kOnline{{"type", "onlineproduct"}, {"Region", "eu"}, {"name", "velora*repo"}};

struct MatchCase {
    const char* filter;
    bool expected;
};

class LdapFilterMatches : public ::testing::TestWithParam<MatchCase> {};

TEST_P(LdapFilterMatches, AgainstTheOnlineRepositoryProperties) {
    EXPECT_EQ(LdapFilter(GetParam().filter).matches(kOnline), GetParam().expected) << GetParam().filter;
}

INSTANTIATE_TEST_SUITE_P(
    Filters, LdapFilterMatches,
    ::testing::Values(
        MatchCase{"(type=onlineproduct)", true}, MatchCase{"(type=folderproduct)", false},
        MatchCase{"(type=ONLINEPRODUCT)", false}, MatchCase{"(TYPE=onlineproduct)", true},
        MatchCase{"(region=eu)", true}, MatchCase{"(missing=x)", false},
        MatchCase{"  ( type = onlineproduct )  ", false}, MatchCase{"( type =onlineproduct)", true},
        MatchCase{"(type=*)", true}, MatchCase{"(missing=*)", false}, MatchCase{"(type=online*)", true},
        MatchCase{"(type=*product)", true}, MatchCase{"(type=o*n*t)", true}, MatchCase{"(type=*x*)", false},
        MatchCase{"(type=onlineproduct*)", true}, MatchCase{"(name=velora\\*repo)", true},
        MatchCase{"(name=velora\\2arepo)", true}, MatchCase{"(name=veloraXrepo)", false},
        MatchCase{"(&(type=onlineproduct)(region=eu))", true},
        MatchCase{"(&(type=onlineproduct)(region=us))", false}, MatchCase{"(|(region=us)(region=eu))", true},
        MatchCase{"(|(region=us)(region=ap))", false}, MatchCase{"(!(region=us))", true},
        MatchCase{"(!(type=onlineproduct))", false},
        MatchCase{"(&(|(region=us)(type=online*))(!(name=x)))", true}, MatchCase{"", true},
        MatchCase{"   ", true}));

class LdapFilterRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(LdapFilterRejects, MalformedText) { EXPECT_THROW(LdapFilter{GetParam()}, std::invalid_argument); }

INSTANTIATE_TEST_SUITE_P(Filters, LdapFilterRejects,
                         ::testing::Values("type=onlineproduct", "(type=onlineproduct", "type=onlineproduct)",
                                           "(type)", "(=value)", "(type=a(b)", "(&)", "(!)", "(!(a=b)(c=d))",
                                           "(a=b)(c=d)", "(a>=1)", "(a~=b)", "(a<=1)", "(a=b\\)", "()", "(",
                                           "(&(a=b)"));

TEST(LdapFilter, KeepsItsTextAndCopiesMatchAlike) {
    const LdapFilter filter("(type=onlineproduct)");
    const LdapFilter copy = filter;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(copy.text(), "(type=onlineproduct)");
    EXPECT_TRUE(copy.matches(kOnline));
    EXPECT_FALSE(copy.matches({}));
}

}  // namespace
}  // namespace microservices
