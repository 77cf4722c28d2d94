#pragma once

#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace workflow_test {

// Gates make their outside components anew for every operation, through factory getters that
// hand over a std::unique_ptr, so a test cannot hold the component it wants to script. Instead it
// says how every new one behaves; a test double of a gate returns `next()` from its getter.
//
//   MockSupply<MockFolderValidator> validators;
//   validators.arrange([](MockFolderValidator& v) { EXPECT_CALL(v, checkRequired(u"/srv", false)); });
//   std::unique_ptr<FolderValidator> getFolderValidator() const override { return validators.next(); }
//
// Expectations set in an arrangement hold for each component and are checked when the gate
// destroys it.
template <class Mock>
class MockSupply {
public:
    using Arrangement = std::function<void(Mock&)>;

    // Adds to what earlier arrangements set up; later ON_CALLs take precedence.
    void arrange(Arrangement arrangement) { arrangements_.push_back(std::move(arrangement)); }

    std::unique_ptr<Mock> next() const {
        auto mock = std::make_unique<testing::NiceMock<Mock>>();
        for (const auto& arrangement : arrangements_) arrangement(*mock);
        ++handedOut_;
        return mock;
    }
    // How many components the code under test has asked for.
    int handedOut() const { return handedOut_; }

private:
    std::vector<Arrangement> arrangements_;
    mutable int handedOut_ = 0;
};

}  // namespace workflow_test
